#include "data/sql_dialect.h"

#include "data/column_conversion.h"
#include "core/locale_text.h"
#include "core/runtime_error.h"

#include <vector>

namespace hv::data {

namespace {

enum class TokenType { Space, Word, BracketName, SingleQuoted, DoubleQuoted, Number, Symbol, Semicolon };

struct Token {
    TokenType type;
    QStringView text;  // as written, delimiters included
};

bool isWordStart(QChar c)
{
    return c.isLetter() || c == u'_';
}

bool isWordPart(QChar c)
{
    return c.isLetterOrNumber() || c == u'_';
}

// The end of a literal opened at `start` by `quote`, where a doubled quote
// stands for one quote character; -1 when the literal is not closed.
qsizetype literalEnd(const QString& sql, qsizetype start, QChar quote)
{
    qsizetype i = start + 1;
    while (i < sql.size()) {
        if (sql.at(i) == quote) {
            if (i + 1 < sql.size() && sql.at(i + 1) == quote) {
                i += 2;
                continue;
            }
            return i + 1;
        }
        ++i;
    }
    return -1;
}

RuntimeError syntaxError(const QString& what, const QString& sql)
{
    return {err::DatabaseEngine, QStringLiteral("%1 in query expression '%2'.").arg(what, sql)};
}

std::vector<Token> tokenize(const QString& sql)
{
    std::vector<Token> tokens;
    const QStringView view(sql);
    qsizetype i = 0;
    while (i < sql.size()) {
        const QChar c = sql.at(i);
        qsizetype end = i + 1;
        TokenType type = TokenType::Symbol;
        if (c.isSpace()) {
            while (end < sql.size() && sql.at(end).isSpace())
                ++end;
            type = TokenType::Space;
        } else if (c == u'[') {
            end = sql.indexOf(u']', i + 1);
            if (end < 0)
                throw RuntimeError(err::DatabaseEngine,
                                   QStringLiteral("Invalid bracketing of name '%1'.").arg(sql.mid(i)));
            ++end;
            type = TokenType::BracketName;
        } else if (c == u'\'' || c == u'"') {
            end = literalEnd(sql, i, c);
            if (end < 0)
                throw syntaxError(QStringLiteral("Syntax error in string"), sql);
            type = c == u'\'' ? TokenType::SingleQuoted : TokenType::DoubleQuoted;
        } else if (c.isDigit() || (c == u'.' && i + 1 < sql.size() && sql.at(i + 1).isDigit())) {
            while (end < sql.size() && (sql.at(end).isDigit() || sql.at(end) == u'.'))
                ++end;
            if (end < sql.size() && (sql.at(end) == u'e' || sql.at(end) == u'E')) {
                qsizetype exponent = end + 1;
                if (exponent < sql.size() && (sql.at(exponent) == u'+' || sql.at(exponent) == u'-'))
                    ++exponent;
                if (exponent < sql.size() && sql.at(exponent).isDigit()) {
                    end = exponent;
                    while (end < sql.size() && sql.at(end).isDigit())
                        ++end;
                }
            }
            type = TokenType::Number;
        } else if (isWordStart(c)) {
            while (end < sql.size() && isWordPart(sql.at(end)))
                ++end;
            type = TokenType::Word;
        } else if (c == u';') {
            type = TokenType::Semicolon;
        }
        tokens.push_back({type, view.mid(i, end - i)});
        i = end;
    }
    return tokens;
}

QString quoteIdentifier(QStringView name)
{
    QString quoted = name.toString();
    quoted.replace(u'"', QStringLiteral("\"\""));
    return u'"' + quoted + u'"';
}

QString quoteLiteral(QStringView text)
{
    QString quoted = text.toString();
    quoted.replace(u'\'', QStringLiteral("''"));
    return u'\'' + quoted + u'\'';
}

bool isWord(const Token& token, QStringView word)
{
    return token.type == TokenType::Word && token.text.compare(word, Qt::CaseInsensitive) == 0;
}

bool isSymbol(const Token& token, QChar symbol)
{
    return token.type == TokenType::Symbol && token.text.size() == 1 && token.text.front() == symbol;
}

bool isName(const Token& token)
{
    return token.type == TokenType::Word || token.type == TokenType::BracketName;
}

// The name a Word or [Bracketed Name] token stands for.
QString nameOf(const Token& token)
{
    if (token.type == TokenType::BracketName)
        return token.text.mid(1, token.text.size() - 2).toString();
    return token.text.toString();
}

const char* conversionFor(ColumnKind kind)
{
    switch (kind) {
    case ColumnKind::Date:
        return "hv_date";
    case ColumnKind::Number:
        return "hv_number";
    case ColumnKind::Integer:
        return "hv_integer";
    case ColumnKind::YesNo:
        return "hv_bool";
    case ColumnKind::Text:
    case ColumnKind::Other:
        break;
    }
    return nullptr;
}

// One statement's tokens and the work of turning them into SQLite's dialect.
class Translation {
public:
    Translation(const SqlDialect& dialect, const QString& sql)
        : m_dialect(dialect), m_sql(sql), m_tokens(tokenize(sql))
    {
        // One statement only: the text from the first ';' on is kept as it is
        // written, for the caller to refuse.
        m_end = m_tokens.size();
        for (size_t i = 0; i < m_tokens.size(); ++i) {
            if (m_tokens[i].type == TokenType::Semicolon) {
                m_end = i;
                break;
            }
        }
        for (size_t i = 0; i < m_end; ++i) {
            if (m_tokens[i].type != TokenType::Space)
                m_significant.push_back(i);
        }
    }

    QString run()
    {
        findInsertValues() || findUpdateValues();
        QString out;
        size_t from = 0;
        for (const Target& target : m_targets) {
            append(out, translateRange(from, target.begin));
            if (forServer()) {
                append(out, serverValue(target));
            } else {
                const char* conversion = conversionFor(target.kind);
                append(out, QString::fromLatin1(conversion) + u'(' + translateRange(target.begin, target.end)
                                + QStringLiteral(", ") + quoteLiteral(target.column) + u')');
            }
            from = target.end;
        }
        append(out, translateRange(from, m_end));
        for (size_t i = m_end; i < m_tokens.size(); ++i)
            out += m_tokens[i].text;
        return out;
    }

private:
    // A value to wrap: the token range [begin, end) written to `column`.
    struct Target {
        size_t begin;
        size_t end;
        QString column;
        ColumnKind kind;
    };

    bool forServer() const { return m_dialect.target() == SqlTarget::Postgres; }

    // Appends a piece, keeping "-" "-" and "/" "*" apart so that no comment
    // appears where the text had none; on the server a name never runs into
    // a quoted literal either (E'...' would read backslashes as escapes).
    void append(QString& out, const QString& piece) const
    {
        if (!out.isEmpty() && !piece.isEmpty()
            && ((out.back() == u'-' && piece.front() == u'-') || (out.back() == u'/' && piece.front() == u'*')
                || (forServer() && isWordPart(out.back()) && piece.front() == u'\'')))
            out += u' ';
        out += piece;
    }

    // A value written to a typed column, for the server: a literal (quoted
    // text, a number, True/False or Null) converted here by the column's
    // kind; any other expression as written, for the server to type.
    QString serverValue(const Target& target) const
    {
        std::vector<size_t> parts;
        for (size_t i = target.begin; i < target.end; ++i) {
            if (m_tokens[i].type != TokenType::Space)
                parts.push_back(i);
        }
        std::optional<ColumnInput> input;
        if (parts.size() == 1) {
            const Token& token = m_tokens[parts[0]];
            if (token.type == TokenType::SingleQuoted || token.type == TokenType::DoubleQuoted) {
                const QChar quote = token.text.front();
                QString text = token.text.mid(1, token.text.size() - 2).toString();
                text.replace(QString(2, quote), QString(quote));
                input = ColumnInput::ofText(text);
            } else if (token.type == TokenType::Number) {
                input = numberInput(token.text.toString());
            } else if (isWord(token, u"null")) {
                input = ColumnInput::null();
            } else if (isWord(token, u"true") || isWord(token, u"false")) {
                input = ColumnInput::ofInteger(isWord(token, u"true") ? -1 : 0);
            }
        } else if (parts.size() == 2 && (isSymbol(m_tokens[parts[0]], u'-') || isSymbol(m_tokens[parts[0]], u'+'))
                   && m_tokens[parts[1]].type == TokenType::Number) {
            input = numberInput(m_tokens[parts[0]].text.toString() + m_tokens[parts[1]].text.toString());
        }
        if (!input)
            return translateRange(target.begin, target.end);
        QString refusal;
        const std::optional<ColumnValue> stored = ColumnConversion::convert(target.kind, *input, target.column, refusal);
        if (!stored)
            throw RuntimeError(err::DatabaseEngine, refusal);
        switch (stored->kind) {
        case ColumnValue::Null: return QStringLiteral("NULL");
        case ColumnValue::Integer: return QString::number(stored->integer);
        case ColumnValue::Real: return text::numberToSqlText(stored->real);
        case ColumnValue::Text: return quoteLiteral(stored->text);
        }
        return {};
    }

    // A bare number as the engine reads it: whole when it has no point or
    // exponent and fits, otherwise a double.
    static ColumnInput numberInput(const QString& written)
    {
        bool whole = false;
        const qint64 integer = written.toLongLong(&whole);
        if (whole)
            return ColumnInput::ofInteger(integer);
        return ColumnInput::ofReal(written.toDouble());
    }

    const Token& sig(size_t n) const { return m_tokens[m_significant[n]]; }

    // The index (in m_tokens) of the ')' that closes the '(' at `open`, or m_end.
    size_t closingParen(size_t open) const
    {
        int depth = 0;
        for (size_t i = open; i < m_end; ++i) {
            if (isSymbol(m_tokens[i], u'('))
                ++depth;
            else if (isSymbol(m_tokens[i], u')') && --depth == 0)
                return i;
        }
        return m_end;
    }

    // Position n in m_significant of the token at index `tokenIndex`.
    size_t sigPosition(size_t tokenIndex) const
    {
        size_t n = 0;
        while (n < m_significant.size() && m_significant[n] < tokenIndex)
            ++n;
        return n;
    }

    void addTarget(size_t begin, size_t end, const QString& table, const QString& column)
    {
        // Trim blanks so that the conversion encloses the value itself.
        while (begin < end && m_tokens[begin].type == TokenType::Space)
            ++begin;
        while (end > begin && m_tokens[end - 1].type == TokenType::Space)
            --end;
        if (begin == end)
            return;
        const std::optional<ColumnKind> kind = m_dialect.columnKind(table, column);
        if (kind && conversionFor(*kind))
            m_targets.push_back({begin, end, column, *kind});
    }

    // insert into T [(c1, c2, ...)] values (v1, v2, ...)
    bool findInsertValues()
    {
        const size_t count = m_significant.size();
        if (count < 5 || !isWord(sig(0), u"insert") || !isWord(sig(1), u"into") || !isName(sig(2)))
            return false;
        const QString table = nameOf(sig(2));
        size_t n = 3;
        QStringList columns;
        if (isSymbol(sig(n), u'(')) {
            for (++n; n < count; n += 2) {
                if (!isName(sig(n)))
                    return false;
                columns << nameOf(sig(n));
                if (n + 1 >= count)
                    return false;
                if (isSymbol(sig(n + 1), u')'))
                    break;
                if (!isSymbol(sig(n + 1), u','))
                    return false;
            }
            n += 2;
        } else {
            columns = m_dialect.columnNames(table);
        }
        if (n + 1 >= count || !isWord(sig(n), u"values") || !isSymbol(sig(n + 1), u'('))
            return false;

        const size_t open = m_significant[n + 1];
        const size_t close = closingParen(open);
        if (close == m_end)
            return false;
        std::vector<std::pair<size_t, size_t>> values;
        size_t start = open + 1;
        int depth = 0;
        for (size_t i = open + 1; i < close; ++i) {
            if (isSymbol(m_tokens[i], u'('))
                ++depth;
            else if (isSymbol(m_tokens[i], u')'))
                --depth;
            else if (depth == 0 && isSymbol(m_tokens[i], u',')) {
                values.emplace_back(start, i);
                start = i + 1;
            }
        }
        values.emplace_back(start, close);
        // A count that does not match is left for the engine to report.
        if (values.size() != static_cast<size_t>(columns.size()))
            return false;
        for (size_t v = 0; v < values.size(); ++v)
            addTarget(values[v].first, values[v].second, table, columns.at(static_cast<qsizetype>(v)));
        return true;
    }

    // update T set c1 = v1, c2 = v2, ... [where ...]
    bool findUpdateValues()
    {
        const size_t count = m_significant.size();
        if (count < 6 || !isWord(sig(0), u"update") || !isName(sig(1)) || !isWord(sig(2), u"set"))
            return false;
        const QString table = nameOf(sig(1));
        size_t n = 3;
        while (n + 1 < count && isName(sig(n)) && isSymbol(sig(n + 1), u'=')) {
            const QString column = nameOf(sig(n));
            const size_t begin = m_significant[n + 1] + 1;
            size_t i = begin;
            int depth = 0;
            for (; i < m_end; ++i) {
                const Token& token = m_tokens[i];
                if (isSymbol(token, u'('))
                    ++depth;
                else if (isSymbol(token, u')'))
                    --depth;
                else if (depth == 0 && (isSymbol(token, u',') || isWord(token, u"where")))
                    break;
            }
            addTarget(begin, i, table, column);
            if (i == m_end || !isSymbol(m_tokens[i], u','))
                break;
            n = sigPosition(i) + 1;
            refuseDecimalComma(begin, i, n, column);
        }
        return true;
    }

    // "set Hours=7,5": a number written with a decimal comma and placed bare
    // reads as two list items. Said plainly instead of as a syntax error.
    void refuseDecimalComma(size_t valueBegin, size_t comma, size_t next, const QString& column) const
    {
        size_t value = valueBegin;
        while (value < comma && m_tokens[value].type == TokenType::Space)
            ++value;
        const bool bareNumber = value < comma && m_tokens[value].type == TokenType::Number
            && sigPosition(value) + 1 == sigPosition(comma);
        if (!bareNumber || next >= m_significant.size() || sig(next).type != TokenType::Number)
            return;
        if (next + 1 < m_significant.size() && isSymbol(sig(next + 1), u'='))
            return;
        throw RuntimeError(err::DatabaseEngine,
                           QStringLiteral("Syntax error in UPDATE statement: the value %1,%2 for the column [%3] "
                                          "is not a number (a decimal comma cannot stand outside quotes).")
                               .arg(m_tokens[value].text, sig(next).text, column));
    }

    // The tokens [from, to) in SQLite's dialect.
    QString translateRange(size_t from, size_t to) const
    {
        QString out;
        for (size_t i = from; i < to; ++i) {
            const Token& token = m_tokens[i];
            switch (token.type) {
            case TokenType::BracketName: {
                const QString name = token.text.mid(1, token.text.size() - 2).toString();
                append(out, quoteIdentifier(forServer() ? m_dialect.knownName(name) : name));
                break;
            }
            case TokenType::DoubleQuoted: {
                QString text = token.text.mid(1, token.text.size() - 2).toString();
                text.replace(QStringLiteral("\"\""), QStringLiteral("\""));
                append(out, quoteLiteral(text));
                break;
            }
            case TokenType::Word:
                if (isWord(token, u"true")) {
                    append(out, QStringLiteral("-1"));
                } else if (isWord(token, u"false")) {
                    append(out, QStringLiteral("0"));
                } else if (isWord(token, u"first") || isWord(token, u"last")) {
                    size_t open = i + 1;
                    while (open < to && m_tokens[open].type == TokenType::Space)
                        ++open;
                    const size_t close = open < to && isSymbol(m_tokens[open], u'(') ? closingParen(open) : m_end;
                    if (close >= to) {
                        append(out, token.text.toString());
                        break;
                    }
                    append(out, readOrderAggregate(isWord(token, u"last"), open + 1, close));
                    i = close;
                } else if (forServer() && m_dialect.isKnown(token.text.toString())) {
                    // A bare name the server knows, spelt its way: the server
                    // would read it in lower case.
                    append(out, quoteIdentifier(m_dialect.knownName(token.text.toString())));
                } else {
                    append(out, token.text.toString());
                }
                break;
            case TokenType::Symbol:
                if (forServer() && token.text == u"$")
                    throw RuntimeError(err::DatabaseEngine,
                                       QStringLiteral("Invalid character '$' in query expression '%1'.")
                                           .arg(m_sql));
                append(out, token.text.toString());
                break;
            default:
                append(out, token.text.toString());
                break;
            }
        }
        return out;
    }

    // First(x) / Last(x): the value of x in the first or last row in the
    // order the table is read, tied to the rowid of x's table.
    QString readOrderAggregate(bool last, size_t argBegin, size_t argEnd) const
    {
        std::vector<size_t> parts;
        for (size_t i = argBegin; i < argEnd; ++i) {
            if (m_tokens[i].type != TokenType::Space)
                parts.push_back(i);
        }
        QString rowid = QStringLiteral("rowid");
        if (parts.size() == 3 && isName(m_tokens[parts[0]]) && isSymbol(m_tokens[parts[1]], u'.')
            && isName(m_tokens[parts[2]]))
            rowid = quoteIdentifier(nameOf(m_tokens[parts[0]])) + QStringLiteral(".rowid");
        if (forServer()) {
            // By the order of the IDs the server gave the rows as they came.
            QString id = quoteIdentifier(QStringLiteral("ID"));
            if (parts.size() == 3 && isName(m_tokens[parts[0]]) && isSymbol(m_tokens[parts[1]], u'.')
                && isName(m_tokens[parts[2]]))
                id = quoteIdentifier(m_dialect.knownName(nameOf(m_tokens[parts[0]]))) + u'.' + id;
            return QStringLiteral("(array_agg(") + translateRange(argBegin, argEnd) + QStringLiteral(" ORDER BY ") + id
                + (last ? QStringLiteral(" DESC") : QString()) + QStringLiteral("))[1]");
        }
        return QString::fromLatin1(last ? "hv_last(" : "hv_first(") + translateRange(argBegin, argEnd)
            + QStringLiteral(", ") + rowid + u')';
    }

    const SqlDialect& m_dialect;
    const QString& m_sql;
    std::vector<Token> m_tokens;
    size_t m_end = 0;
    std::vector<size_t> m_significant;
    std::vector<Target> m_targets;
};

}  // namespace

ColumnKind columnKindOf(QStringView declaredType)
{
    const QString type = declaredType.toString().toUpper();
    if (type.isEmpty())
        return ColumnKind::Other;
    if (type.contains(u"DATE") || type.contains(u"TIME"))
        return ColumnKind::Date;
    if (type.contains(u"YESNO") || type.contains(u"BOOL") || type == u"BIT")
        return ColumnKind::YesNo;
    for (const char16_t* number : {u"DOUB", u"REAL", u"FLOA", u"NUMERIC", u"DECIMAL", u"CURRENCY", u"MONEY"}) {
        if (type.contains(number))
            return ColumnKind::Number;
    }
    if (type.contains(u"INT") || type == u"COUNTER" || type == u"LONG")
        return ColumnKind::Integer;
    for (const char16_t* text : {u"CHAR", u"TEXT", u"CLOB", u"MEMO"}) {
        if (type.contains(text))
            return ColumnKind::Text;
    }
    return ColumnKind::Other;
}

SqlDialect::SqlDialect(ColumnReader readColumns) : m_readColumns(std::move(readColumns))
{
}

SqlDialect::Shape SqlDialect::shape(const QString& sql)
{
    Shape shape;
    bool ended = false;
    for (const Token& token : tokenize(sql)) {
        if (token.type == TokenType::Space)
            continue;
        if (ended) {
            shape.trailingText = true;
            break;
        }
        if (token.type == TokenType::Semicolon) {
            ended = true;
        } else if (shape.verb.isEmpty()) {
            if (token.type != TokenType::Word)
                break;
            shape.verb = token.text.toString();
        } else if (isWord(token, u"into") && shape.verb.compare(u"select", Qt::CaseInsensitive) == 0) {
            shape.selectInto = true;
        }
    }
    return shape;
}

SqlDialect::SqlDialect(SqlTarget target, QHash<QString, TableColumns> tables)
    : m_target(target), m_tables(std::move(tables))
{
    for (auto table = m_tables.cbegin(); table != m_tables.cend(); ++table) {
        for (const QString& column : table->names)
            m_knownNames.insert(column.toLower(), column);
    }
    for (auto table = m_tables.cbegin(); table != m_tables.cend(); ++table) {
        if (!table->names.isEmpty())
            m_knownNames.insert(table.key(), table->tableName);
    }
}

QString SqlDialect::knownName(const QString& name) const
{
    return m_knownNames.value(name.toLower(), name);
}

bool SqlDialect::isKnown(const QString& name) const
{
    return m_knownNames.contains(name.toLower());
}

QString SqlDialect::translate(const QString& sql) const
{
    return Translation(*this, sql).run();
}

const TableColumns& SqlDialect::columnsOf(const QString& table) const
{
    const QString key = table.toLower();
    auto found = m_tables.constFind(key);
    if (found != m_tables.constEnd())
        return *found;

    TableColumns columns = m_readColumns ? m_readColumns(table) : TableColumns();
    // Unknown tables are not remembered: the statement fails in the engine
    // with its own message, and nothing is learnt from it.
    if (columns.names.isEmpty()) {
        static const TableColumns none;
        return none;
    }
    return *m_tables.insert(key, columns);
}

std::optional<ColumnKind> SqlDialect::columnKind(const QString& table, const QString& column) const
{
    const TableColumns& columns = columnsOf(table);
    const auto found = columns.kindByLowerName.constFind(column.toLower());
    if (found == columns.kindByLowerName.constEnd())
        return std::nullopt;
    return *found;
}

QStringList SqlDialect::columnNames(const QString& table) const
{
    return columnsOf(table).names;
}

}  // namespace hv::data
