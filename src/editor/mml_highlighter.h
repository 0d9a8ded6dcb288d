#pragma once

#include <QColor>
#include <QString>
#include <QSyntaxHighlighter>
#include <vector>

namespace zema {

// Syntax colouring of MML text. Rules are tried in the order they were added,
// so an earlier rule wins where two start at the same place ("//#" before "//").
class CMMLHighlighter final : public QSyntaxHighlighter {
public:
    enum class RuleKind {
        ToLineEnd,    // from the text to the end of the line
        Between,      // from the text to `closing`, across lines
        SingleChar,   // the one character, either case
    };
    struct Rule {
        QString text;
        QString closing;
        RuleKind kind = RuleKind::SingleChar;
        QColor colour;
    };

    explicit CMMLHighlighter(QTextDocument* document);

    void addRule(const Rule& rule);
    void clearRules();
    // Colours the whole document again with the current rules.
    void applyRules() { rehighlight(); }

    // The rules every track editor uses.
    [[nodiscard]] static std::vector<Rule> defaultRules();

protected:
    void highlightBlock(const QString& text) override;

private:
    // Which rule, if any, starts at `position`.
    [[nodiscard]] const Rule* ruleAt(const QString& text, qsizetype position, int& ruleIndex) const;

    std::vector<Rule> rules_;
};

}  // namespace zema
