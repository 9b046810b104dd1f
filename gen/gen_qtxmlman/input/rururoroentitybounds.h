// Upper bounds of what the internal general entities of a document expand to,
// read from their declarations without parsing: characters, and elements
// nested in the expansion. Anything the declarations cannot tell (entities
// declared through parameter entities, references spelled as character
// references, self reference) counts as the worst an entity may do, so a bound
// is never too low.
#pragma once

#include <QtGlobal>

#include <string>
#include <string_view>
#include <unordered_map>

class RurUrOroEntityBounds {
public:
    struct Expansion {
        qint64 characters = 0;
        int nesting = 0;
    };

    // Names and replacement texts as bytes: UTF-8, or the input's own bytes. The
    // first declaration of a name counts, as in XML.
    void declare(std::string_view name, std::string_view replacement);
    void declareParameter(std::string_view name, std::string_view replacement);
    // Parameter entity references can declare entities these bounds never see.
    void markIncomplete() { incomplete = true; }
    // What one reference to `name` can add to the document at most.
    Expansion of(std::string_view name) { return lookup(name, 0); }
    // Characters one reference to the parameter entity `name` adds to the document type.
    qint64 parameterCharacters(std::string_view name) const;

private:
    enum State { Unmeasured, Measuring, Measured };
    struct Entry {
        std::string replacement;
        State state = Unmeasured;
        Expansion expansion;
    };

    Expansion lookup(std::string_view name, int chain);
    Expansion measure(std::string_view replacement, int chain);

    std::unordered_map<std::string, Entry> entries;
    std::unordered_map<std::string, qint64> parameters;
    bool incomplete = false;
};
