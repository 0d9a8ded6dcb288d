#include "editor/mml_highlighter.h"

namespace zema {

namespace {
constexpr int kOutside = -1;
}

CMMLHighlighter::CMMLHighlighter(QTextDocument* document) : QSyntaxHighlighter(document) {}

void CMMLHighlighter::addRule(const Rule& rule)
{
    if (!rule.text.isEmpty()) rules_.push_back(rule);
}

void CMMLHighlighter::clearRules() { rules_.clear(); }

std::vector<CMMLHighlighter::Rule> CMMLHighlighter::defaultRules()
{
    return {
        {QStringLiteral("//#"), {}, RuleKind::ToLineEnd, QColor(128, 128, 0)},
        {QStringLiteral("//"), {}, RuleKind::ToLineEnd, QColor(0, 160, 0)},
        {QStringLiteral("/*"), QStringLiteral("*/"), RuleKind::Between, QColor(0, 160, 0)},
        {QStringLiteral("T"), {}, RuleKind::SingleChar, QColor(141, 198, 63)},
        {QStringLiteral("V"), {}, RuleKind::SingleChar, QColor(255, 128, 0)},
        {QStringLiteral("O"), {}, RuleKind::SingleChar, QColor(0, 174, 254)},
        {QStringLiteral("L"), {}, RuleKind::SingleChar, QColor(160, 0, 0)},
        {QStringLiteral("N"), {}, RuleKind::SingleChar, QColor(255, 0, 0)},
        {QStringLiteral("<"), {}, RuleKind::SingleChar, QColor(0, 0, 255)},
        {QStringLiteral(">"), {}, RuleKind::SingleChar, QColor(0, 0, 223)},
    };
}

const CMMLHighlighter::Rule* CMMLHighlighter::ruleAt(const QString& text, qsizetype position, int& ruleIndex) const
{
    for (size_t i = 0; i < rules_.size(); ++i) {
        const Rule& rule = rules_[i];
        const Qt::CaseSensitivity cs = rule.kind == RuleKind::SingleChar ? Qt::CaseInsensitive : Qt::CaseSensitive;
        if (QStringView(text).mid(position).startsWith(rule.text, cs)) {
            ruleIndex = static_cast<int>(i);
            return &rule;
        }
    }
    return nullptr;
}

void CMMLHighlighter::highlightBlock(const QString& text)
{
    // The block state is the index of the "between" rule still open at the
    // end of the line, or kOutside.
    int open = previousBlockState();
    if (open < 0 || open >= static_cast<int>(rules_.size())) open = kOutside;
    qsizetype position = 0;
    while (position < text.size()) {
        if (open != kOutside) {
            const Rule& rule = rules_[static_cast<size_t>(open)];
            const qsizetype end = text.indexOf(rule.closing, position);
            const qsizetype stop = end < 0 ? text.size() : end + rule.closing.size();
            setFormat(static_cast<int>(position), static_cast<int>(stop - position), rule.colour);
            position = stop;
            if (end >= 0) open = kOutside;
            continue;
        }
        int index = 0;
        const Rule* rule = ruleAt(text, position, index);
        if (!rule) {
            ++position;
            continue;
        }
        switch (rule->kind) {
        case RuleKind::ToLineEnd:
            setFormat(static_cast<int>(position), static_cast<int>(text.size() - position), rule->colour);
            position = text.size();
            break;
        case RuleKind::Between: {
            // The opening text itself is coloured, and the search for the
            // closing text starts after it ("/*/" does not close).
            setFormat(static_cast<int>(position), static_cast<int>(rule->text.size()), rule->colour);
            position += rule->text.size();
            open = index;
            break;
        }
        case RuleKind::SingleChar:
            setFormat(static_cast<int>(position), static_cast<int>(rule->text.size()), rule->colour);
            position += rule->text.size();
            break;
        }
    }
    setCurrentBlockState(open);
}

}  // namespace zema
