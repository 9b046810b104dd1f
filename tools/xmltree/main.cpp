// xmltree: shows an XML file as a tree of its nodes in one window.
//   xmltree FILE [--screenshot OUT.png]
// With --screenshot the window is drawn once into OUT.png, the number of
// top-level rows the view shows is printed, and the program exits.
#include "nodetreemodel.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDomDocument>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QTextStream>
#include <QTreeView>

namespace {

bool loadDocument(const QString& path, QDomDocument& document)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        QTextStream(stderr) << path << QLatin1String(": ") << file.errorString() << Qt::endl;
        return false;
    }
    QString message;
    int line = 0, column = 0;
    if (!document.setContent(&file, &message, &line, &column)) {
        QTextStream(stderr) << path << QLatin1Char(':') << line << QLatin1Char(':') << column
                            << QLatin1String(": ") << message << Qt::endl;
        return false;
    }
    return true;
}

// Counted through the view's own layout, so it is what a reader sees.
int shownTopLevelRows(const QTreeView& view)
{
    int rows = 0;
    for (QModelIndex index = view.model()->index(0, 0); index.isValid(); index = view.indexBelow(index)) {
        if (!index.parent().isValid())
            ++rows;
    }
    return rows;
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Shows an XML file as a tree of its nodes."));
    parser.addHelpOption();
    QCommandLineOption screenshot(QStringLiteral("screenshot"),
                                  QStringLiteral("Draw the window into <png>, print the top-level row count and exit."),
                                  QStringLiteral("png"));
    parser.addOption(screenshot);
    parser.addPositionalArgument(QStringLiteral("file"), QStringLiteral("The XML file to show."));
    parser.process(app);
    if (parser.positionalArguments().size() != 1)
        parser.showHelp(2);

    const QString path = parser.positionalArguments().constFirst();
    QDomDocument document;
    if (!loadDocument(path, document))
        return 1;

    NodeTreeModel model(document);
    QTreeView view;
    view.setModel(&model);
    view.setWindowTitle(QFileInfo(path).fileName());
    // Three levels open: a typical record and its texts, without unfolding a large file whole.
    view.expandToDepth(2);
    view.resize(640, 480);
    view.header()->resizeSection(0, 260);
    view.show();

    if (!parser.isSet(screenshot))
        return app.exec();

    QCoreApplication::processEvents();
    const QString out = parser.value(screenshot);
    if (!view.grab().save(out, "PNG")) {
        QTextStream(stderr) << out << QLatin1String(": cannot write the screenshot") << Qt::endl;
        return 1;
    }
    QTextStream(stdout) << "top-level rows: " << shownTopLevelRows(view) << Qt::endl;
    return 0;
}
