#include "client/db/JetCriterion.h"

#include "client/db/DateText.h"
#include "client/db/DbError.h"
#include "client/db/SqlTokenizer.h"

#include <cstdio>
#include <cstdlib>

namespace kiro::db {

struct JetCriterion::Node {
    enum class Op { Literal, Column, And, Or, Not, Eq, Ne, Lt, Gt, Le, Ge, Like, IsNull, Concat, Add, Sub, Neg };
    Op op = Op::Literal;
    StoredValue literal;
    int column = -1;
    std::vector<std::unique_ptr<Node>> kids;
};

namespace {

using Node = JetCriterion::Node;
using Op = Node::Op;
using Value = StoredValue;

[[noreturn]] void syntax(std::string_view criterion)
{
    throw DbError(kErrorSyntax, "Syntax error in criterion '" + std::string(criterion) + "'.");
}

std::unique_ptr<Node> makeNode(Op op, std::unique_ptr<Node> a = nullptr, std::unique_ptr<Node> b = nullptr)
{
    auto n = std::make_unique<Node>();
    n->op = op;
    if (a)
        n->kids.push_back(std::move(a));
    if (b)
        n->kids.push_back(std::move(b));
    return n;
}

class Parser {
public:
    Parser(std::string_view text, const JetCriterion::Resolver& resolve)
        : m_text(text), m_tokens(tokenizeJet(text)), m_resolve(resolve)
    {
    }

    std::unique_ptr<Node> parseAll()
    {
        auto root = parseOr();
        if (m_pos != m_tokens.size())
            syntax(m_text);
        return root;
    }

private:
    const SqlToken* peek() const { return m_pos < m_tokens.size() ? &m_tokens[m_pos] : nullptr; }
    bool acceptWord(std::string_view w)
    {
        if (peek() && peek()->isWord(w)) {
            ++m_pos;
            return true;
        }
        return false;
    }
    bool acceptPunct(std::string_view p)
    {
        if (peek() && peek()->isPunct(p)) {
            ++m_pos;
            return true;
        }
        return false;
    }

    std::unique_ptr<Node> parseOr()
    {
        auto left = parseAnd();
        while (acceptWord("OR"))
            left = makeNode(Op::Or, std::move(left), parseAnd());
        return left;
    }
    std::unique_ptr<Node> parseAnd()
    {
        auto left = parseNot();
        while (acceptWord("AND"))
            left = makeNode(Op::And, std::move(left), parseNot());
        return left;
    }
    std::unique_ptr<Node> parseNot()
    {
        if (acceptWord("NOT"))
            return makeNode(Op::Not, parseNot());
        return parseComparison();
    }
    std::unique_ptr<Node> parseComparison()
    {
        auto left = parseSum();
        static const std::pair<std::string_view, Op> kOps[] = {{"=", Op::Eq}, {"<>", Op::Ne}, {"!=", Op::Ne},
                                                               {"<=", Op::Le}, {">=", Op::Ge}, {"<", Op::Lt},
                                                               {">", Op::Gt}};
        for (auto [text, op] : kOps)
            if (acceptPunct(text))
                return makeNode(op, std::move(left), parseSum());
        if (acceptWord("LIKE"))
            return makeNode(Op::Like, std::move(left), parseSum());
        if (peek() && peek()->isWord("NOT") && m_pos + 1 < m_tokens.size() && m_tokens[m_pos + 1].isWord("LIKE")) {
            m_pos += 2;
            return makeNode(Op::Not, makeNode(Op::Like, std::move(left), parseSum()));
        }
        if (acceptWord("IS")) {
            const bool negate = acceptWord("NOT");
            if (!acceptWord("NULL"))
                syntax(m_text);
            auto n = makeNode(Op::IsNull, std::move(left));
            return negate ? makeNode(Op::Not, std::move(n)) : std::move(n);
        }
        return left;
    }
    std::unique_ptr<Node> parseSum()
    {
        auto left = parseUnary();
        while (true) {
            if (acceptPunct("&") || acceptPunct("||"))
                left = makeNode(Op::Concat, std::move(left), parseUnary());
            else if (acceptPunct("+"))
                left = makeNode(Op::Add, std::move(left), parseUnary());
            else if (acceptPunct("-"))
                left = makeNode(Op::Sub, std::move(left), parseUnary());
            else
                return left;
        }
    }
    std::unique_ptr<Node> parseUnary()
    {
        if (acceptPunct("-"))
            return makeNode(Op::Neg, parseUnary());
        return parsePrimary();
    }
    std::unique_ptr<Node> parsePrimary()
    {
        const SqlToken* t = peek();
        if (!t)
            syntax(m_text);
        if (t->isPunct("(")) {
            ++m_pos;
            auto inner = parseOr();
            if (!acceptPunct(")"))
                syntax(m_text);
            return inner;
        }
        auto n = makeNode(Op::Literal);
        switch (t->kind) {
        case SqlToken::Kind::String:
            n->literal.type = Value::Type::Text;
            n->literal.text = t->text;
            ++m_pos;
            return n;
        case SqlToken::Kind::Number: {
            const double v = std::strtod(t->text.c_str(), nullptr);
            if (t->text.find_first_of(".eE") == std::string::npos) {
                n->literal.type = Value::Type::Integer;
                n->literal.integer = std::strtoll(t->text.c_str(), nullptr, 10);
            } else {
                n->literal.type = Value::Type::Real;
                n->literal.real = v;
            }
            ++m_pos;
            return n;
        }
        case SqlToken::Kind::Date: {
            auto date = parseDateText(t->text, DateOrder::MonthFirst);
            if (!date)
                syntax(m_text);
            n->literal.type = Value::Type::Text;
            n->literal.text = formatDateStorage(*date);
            ++m_pos;
            return n;
        }
        case SqlToken::Kind::Word:
            if (t->isWord("NULL")) {
                ++m_pos;
                return n;
            }
            if (t->isWord("TRUE") || t->isWord("FALSE")) {
                n->literal.type = Value::Type::Integer;
                n->literal.integer = t->isWord("TRUE") ? -1 : 0;
                ++m_pos;
                return n;
            }
            [[fallthrough]];
        case SqlToken::Kind::Bracketed: {
            std::string qualifier, name = t->text;
            ++m_pos;
            if (acceptPunct(".")) {
                const SqlToken* col = peek();
                if (!col || !col->isIdentifier())
                    syntax(m_text);
                qualifier = name;
                name = col->text;
                ++m_pos;
            }
            const int index = m_resolve(qualifier, name);
            if (index < 0)
                throw DbError(3070, "The engine does not recognize '" + (qualifier.empty() ? name : qualifier + "." + name)
                                        + "' as a valid field name or expression.");
            n->op = Op::Column;
            n->column = index;
            return n;
        }
        case SqlToken::Kind::Punct:
            break;
        }
        syntax(m_text);
    }

    std::string_view m_text;
    std::vector<SqlToken> m_tokens;
    const JetCriterion::Resolver& m_resolve;
    size_t m_pos = 0;
};

Value boolean(bool b)
{
    Value v;
    v.type = Value::Type::Integer;
    v.integer = b ? -1 : 0;
    return v;
}

bool isNumeric(const Value& v) { return v.type == Value::Type::Integer || v.type == Value::Type::Real; }
double asReal(const Value& v) { return v.type == Value::Type::Integer ? static_cast<double>(v.integer) : v.real; }

bool textToNumber(const std::string& text, double& out)
{
    char* end = nullptr;
    out = std::strtod(text.c_str(), &end);
    return !text.empty() && end == text.c_str() + text.size();
}

std::string asText(const Value& v)
{
    switch (v.type) {
    case Value::Type::Null:
        return {};
    case Value::Type::Integer:
        return std::to_string(v.integer);
    case Value::Type::Real: {
        char buffer[64];
        std::snprintf(buffer, sizeof buffer, "%.15g", v.real);
        return buffer;
    }
    case Value::Type::Text:
        return v.text;
    }
    return {};
}

int compareText(std::string_view a, std::string_view b)
{
    const std::string x = asciiUpper(a), y = asciiUpper(b);
    return x < y ? -1 : (y < x ? 1 : 0);
}

// -2 when either side is null.
int compareValues(const Value& a, const Value& b)
{
    if (a.type == Value::Type::Null || b.type == Value::Type::Null)
        return -2;
    double x = 0, y = 0;
    bool numeric = isNumeric(a) && isNumeric(b);
    if (!numeric && (isNumeric(a) || isNumeric(b))) {
        // Jet converts the text side when it reads as a number.
        const Value& text = isNumeric(a) ? b : a;
        double converted = 0;
        if (textToNumber(text.text, converted)) {
            x = isNumeric(a) ? asReal(a) : converted;
            y = isNumeric(b) ? asReal(b) : converted;
            return x < y ? -1 : (x > y ? 1 : 0);
        }
        return compareText(asText(a), asText(b));
    }
    if (numeric) {
        x = asReal(a);
        y = asReal(b);
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    return compareText(a.text, b.text);
}

bool truthy(const Value& v)
{
    if (v.type == Value::Type::Null)
        return false;
    if (isNumeric(v))
        return asReal(v) != 0;
    double n = 0;
    return textToNumber(v.text, n) && n != 0;
}

Value evaluate(const Node& n, const std::vector<StoredValue>& row)
{
    switch (n.op) {
    case Op::Literal:
        return n.literal;
    case Op::Column:
        return static_cast<size_t>(n.column) < row.size() ? row[n.column] : Value{};
    case Op::And: {
        Value a = evaluate(*n.kids[0], row);
        if (a.type != Value::Type::Null && !truthy(a))
            return boolean(false);
        Value b = evaluate(*n.kids[1], row);
        if (b.type != Value::Type::Null && !truthy(b))
            return boolean(false);
        if (a.type == Value::Type::Null || b.type == Value::Type::Null)
            return Value{};
        return boolean(true);
    }
    case Op::Or: {
        Value a = evaluate(*n.kids[0], row);
        if (truthy(a))
            return boolean(true);
        Value b = evaluate(*n.kids[1], row);
        if (truthy(b))
            return boolean(true);
        if (a.type == Value::Type::Null || b.type == Value::Type::Null)
            return Value{};
        return boolean(false);
    }
    case Op::Not: {
        Value a = evaluate(*n.kids[0], row);
        if (a.type == Value::Type::Null)
            return a;
        return boolean(!truthy(a));
    }
    case Op::Eq:
    case Op::Ne:
    case Op::Lt:
    case Op::Gt:
    case Op::Le:
    case Op::Ge: {
        const int c = compareValues(evaluate(*n.kids[0], row), evaluate(*n.kids[1], row));
        if (c == -2)
            return Value{};
        switch (n.op) {
        case Op::Eq: return boolean(c == 0);
        case Op::Ne: return boolean(c != 0);
        case Op::Lt: return boolean(c < 0);
        case Op::Gt: return boolean(c > 0);
        case Op::Le: return boolean(c <= 0);
        default: return boolean(c >= 0);
        }
    }
    case Op::Like: {
        Value a = evaluate(*n.kids[0], row), b = evaluate(*n.kids[1], row);
        if (a.type == Value::Type::Null || b.type == Value::Type::Null)
            return Value{};
        return boolean(jetLikeMatch(asText(a), asText(b)));
    }
    case Op::IsNull:
        return boolean(evaluate(*n.kids[0], row).type == Value::Type::Null);
    case Op::Concat: {
        Value a = evaluate(*n.kids[0], row), b = evaluate(*n.kids[1], row);
        Value out;
        out.type = Value::Type::Text;
        out.text = asText(a) + asText(b);
        return out;
    }
    case Op::Add:
    case Op::Sub:
    case Op::Neg: {
        Value a = evaluate(*n.kids[0], row);
        Value b = n.op == Op::Neg ? a : evaluate(*n.kids[1], row);
        if (a.type == Value::Type::Null || b.type == Value::Type::Null)
            return Value{};
        double x = 0, y = 0;
        if ((!isNumeric(a) && !textToNumber(a.text, x)) || (!isNumeric(b) && !textToNumber(b.text, y))) {
            if (n.op == Op::Add) {
                Value out;
                out.type = Value::Type::Text;
                out.text = asText(a) + asText(b);
                return out;
            }
            throw DbError(kErrorConversion, "Data type mismatch in criteria expression.");
        }
        if (isNumeric(a))
            x = asReal(a);
        if (isNumeric(b))
            y = asReal(b);
        Value out;
        out.type = Value::Type::Real;
        out.real = n.op == Op::Neg ? -x : (n.op == Op::Add ? x + y : x - y);
        return out;
    }
    }
    return Value{};
}

char foldAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// Length of the UTF-8 character starting at text[pos].
size_t charLength(std::string_view text, size_t pos)
{
    const unsigned char c = static_cast<unsigned char>(text[pos]);
    size_t n = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 1;
    return pos + n <= text.size() ? n : text.size() - pos;
}

bool likeAt(std::string_view text, size_t ti, std::string_view pattern, size_t pi)
{
    while (pi < pattern.size()) {
        const char p = pattern[pi];
        if (p == '*') {
            while (pi < pattern.size() && pattern[pi] == '*')
                ++pi;
            if (pi == pattern.size())
                return true;
            for (size_t k = ti; k <= text.size(); k += (k < text.size() ? charLength(text, k) : 1))
                if (likeAt(text, k, pattern, pi))
                    return true;
            return false;
        }
        if (ti >= text.size())
            return false;
        const size_t tl = charLength(text, ti);
        if (p == '?') {
            ti += tl;
            ++pi;
            continue;
        }
        if (p == '#') {
            if (text[ti] < '0' || text[ti] > '9')
                return false;
            ++ti;
            ++pi;
            continue;
        }
        if (p == '[') {
            const size_t close = pattern.find(']', pi + 1);
            if (close != std::string_view::npos) {
                std::string_view list = pattern.substr(pi + 1, close - pi - 1);
                bool negate = !list.empty() && list[0] == '!';
                if (negate)
                    list.remove_prefix(1);
                const std::string_view ch = text.substr(ti, tl);
                bool found = false;
                for (size_t k = 0; k < list.size();) {
                    const size_t l = charLength(list, k);
                    std::string_view a = list.substr(k, l);
                    if (k + l + 1 < list.size() && list[k + l] == '-') {
                        const size_t l2 = charLength(list, k + l + 1);
                        std::string_view b = list.substr(k + l + 1, l2);
                        if (ch >= a && ch <= b)
                            found = true;
                        k += l + 1 + l2;
                    } else {
                        if (tl == 1 && l == 1 ? foldAscii(ch[0]) == foldAscii(a[0]) : ch == a)
                            found = true;
                        k += l;
                    }
                }
                if (found == negate)
                    return false;
                ti += tl;
                pi = close + 1;
                continue;
            }
        }
        const size_t pl = charLength(pattern, pi);
        if (pl != tl)
            return false;
        for (size_t k = 0; k < pl; ++k)
            if (foldAscii(text[ti + k]) != foldAscii(pattern[pi + k]))
                return false;
        ti += tl;
        pi += pl;
    }
    return ti == text.size();
}

} // namespace

bool jetLikeMatch(std::string_view text, std::string_view pattern) { return likeAt(text, 0, pattern, 0); }

JetCriterion::JetCriterion(std::unique_ptr<Node> root) : m_root(std::move(root)) {}
JetCriterion::JetCriterion(JetCriterion&&) noexcept = default;
JetCriterion& JetCriterion::operator=(JetCriterion&&) noexcept = default;
JetCriterion::~JetCriterion() = default;

JetCriterion JetCriterion::parse(std::string_view criterion, const Resolver& resolve)
{
    Parser parser(criterion, resolve);
    return JetCriterion(parser.parseAll());
}

bool JetCriterion::matches(const std::vector<StoredValue>& row) const { return truthy(evaluate(*m_root, row)); }

} // namespace kiro::db
