#include "base/Prompt.h"

#include <QRegularExpression>
#include <QTextStream>

namespace {

class StderrPrompt : public Prompt
{
public:
    void error(const QString &text) override { print("Error", text); }
    void warning(const QString &text) override { print("Warning", text); }
    void information(const QString &text) override { print("Information", text); }
    bool warningYesNo(const QString &text) override { print("Warning", text); return false; }
    bool confirmYesNo(const QString &text) override { print("Confirm", text); return false; }
    Answer confirmYesNoCancel(const QString &text) override { print("Confirm", text); return Answer::Cancel; }
    QStringList openFiles(const FileRequest &) override { return {}; }
    QString saveFile(const FileRequest &) override { return {}; }

private:
    static void print(const char *kind, const QString &text)
    {
        QTextStream(stderr) << kind << ": " << text << Qt::endl;
    }
};

StderrPrompt g_fallback;
Prompt *g_installed = nullptr;

} // namespace

Prompt &Prompt::instance()
{
    return g_installed ? *g_installed : g_fallback;
}

void Prompt::install(Prompt *prompt)
{
    g_installed = prompt;
}

QString Prompt::qtFilter(const QString &filter)
{
    // "*.*" means every file to the windows these filters were written for; to Qt on Linux
    // it means names with a dot, which hides "robots" or "Makefile".
    const auto everyFile = [](QString text) {
        static const QRegularExpression dotStar(QStringLiteral("(^|[\\s(;])\\*\\.\\*(?=$|[\\s);])"));
        return text.replace(dotStar, QStringLiteral("\\1*"));
    };
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList entries;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString description = everyFile(parts.at(i));
        const QString patterns = everyFile(QString(parts.at(i + 1)).replace(QLatin1Char(';'), QLatin1Char(' ')));
        // Descriptions already naming their patterns ("HTML Files (*.html)") are kept as they are.
        if (!description.contains(QLatin1Char('(')))
            description += QStringLiteral(" (%1)").arg(patterns);
        entries << description;
    }
    return entries.join(QStringLiteral(";;"));
}
