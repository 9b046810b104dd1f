/* The subcommands; each takes its own name as argv[0] and returns the exit status. */
#ifndef XMLIF_COMMANDS_H
#define XMLIF_COMMANDS_H

int cmd_walk(int argc, char **argv);
int cmd_children(int argc, char **argv);
int cmd_stats(int argc, char **argv);
int cmd_format(int argc, char **argv);
int cmd_build(int argc, char **argv);
int cmd_selftest(int argc, char **argv);

#endif
