#include "hostile_text.h"

#include <QStringList>

namespace hv::test {

namespace {

const QStringList& pieces()
{
    static const QStringList all = {
        // words and scripts
        QStringLiteral("Ann"), QStringLiteral("O'Brien"), QStringLiteral("work"), QStringLiteral("東京"),
        QStringLiteral("Ελλάδα"), QStringLiteral("مرحبا"), QStringLiteral("שלום"), QStringLiteral("e\u0301"),
        QStringLiteral("ß"), QStringLiteral("İı"), QStringLiteral("1.000"), QStringLiteral("7,5"),
        // quotes and SQL
        QStringLiteral("'"), QStringLiteral("''"), QStringLiteral("\""), QStringLiteral("`"),
        QStringLiteral("'); delete from Employees; --"), QStringLiteral("' or '1'='1"),
        QStringLiteral("[Work Hours]"), QStringLiteral("]"), QStringLiteral("["), QStringLiteral(";"),
        QStringLiteral("--"), QStringLiteral("/*"), QStringLiteral("*/"), QStringLiteral("TRUE"),
        QStringLiteral("Null"), QStringLiteral("%_\\"),
        // byte-order mark, spaces that do not break, zero-width characters
        QStringLiteral("\ufeff"), QStringLiteral("\u00a0"), QStringLiteral("\u202f"), QStringLiteral("\u2007"),
        QStringLiteral("\u3000"), QStringLiteral("\u200b"), QStringLiteral("\u200d"), QStringLiteral("\u2060"),
        QStringLiteral(" "), QStringLiteral("  "),
        // line breaks of every kind
        QStringLiteral("\r\n"), QStringLiteral("\r"), QStringLiteral("\n"), QStringLiteral("\u2028"),
        QStringLiteral("\u2029"), QStringLiteral("\u0085"), QStringLiteral("\u000b"), QStringLiteral("\u000c"),
        // bidirectional marks, embeddings and isolates
        QStringLiteral("\u200e"), QStringLiteral("\u200f"), QStringLiteral("\u202a"), QStringLiteral("\u202b"),
        QStringLiteral("\u202c"), QStringLiteral("\u202d"), QStringLiteral("\u202e"), QStringLiteral("\u2066"),
        QStringLiteral("\u2067"), QStringLiteral("\u2068"), QStringLiteral("\u2069"), QStringLiteral("\u061c"),
        // emoji, modifiers, joined sequences and flags
        QStringLiteral("🙂"), QStringLiteral("👍🏽"), QStringLiteral("👨‍👩‍👧"), QStringLiteral("🇩🇪"),
        QStringLiteral("🏳️‍🌈"),
        // control characters, noncharacters and specials
        QStringLiteral("\t"), QStringLiteral("\u0001"), QStringLiteral("\u0007"), QStringLiteral("\u001f"),
        QStringLiteral("\u007f"), QStringLiteral("\ufffc"), QStringLiteral("\ufffd"), QStringLiteral("\ufdd0"),
        QStringLiteral("\uffff"),
    };
    return all;
}

}  // namespace

HostileText::HostileText(quint32 seed) : m_random(seed)
{
}

int HostileText::below(int bound)
{
    return std::uniform_int_distribution<int>(0, bound - 1)(m_random);
}

bool HostileText::chance(double probability)
{
    return std::bernoulli_distribution(probability)(m_random);
}

QString HostileText::next()
{
    QString text;
    if (chance(0.12))
        text += QChar(0xFEFF);
    // Mostly a few pieces; now and then 100 kB of them, broken into lines
    // from time to time as long pasted text is.
    const bool large = chance(0.015);
    const qsizetype length = large ? 100 * 1024 : 0;
    const int count = 1 + below(10);
    for (int i = 0; large ? text.size() < length : i < count; ++i) {
        text += pieces().at(below(static_cast<int>(pieces().size())));
        if (large && i % 40 == 39)
            text += QStringLiteral("\r\n");
    }
    if (chance(0.04))
        text.insert(below(static_cast<int>(text.size()) + 1), QChar(0));
    return text;
}

}  // namespace hv::test
