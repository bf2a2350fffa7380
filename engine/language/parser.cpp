// Grammar (keywords and names ignore case):
//   expr    := IF expr THEN expr ELSE expr | or
//   or      := and { OR and }
//   and     := not { AND not }
//   not     := NOT not | compare
//   compare := sum [ ( = | <> | < | <= | > | >= ) sum ]
//   sum     := product { ( + | - ) product }
//   product := unary { ( * | / ) unary }
//   unary   := - unary | power
//   power   := atom [ ^ unary ]
//   atom    := number | "string" | TRUE | FALSE | NC | ND | NA
//            | [FREQUENCY literal] | name | db:name | name ( [expr {, expr}] ) | ( expr )
#include <cctype>
#include <cstdlib>

#include "calendar/frequency.h"
#include "calendar/literal.h"
#include "language/syntax.h"

namespace crqx {
namespace language {
namespace {

enum class Tok { End, Number, String, Name, Date, Symbol };

struct Token {
    Tok kind = Tok::End;
    std::string text;  // Name, String, Date body, Symbol
    double number = 0;
    size_t position = 0;
};

bool name_start(char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; }
bool name_char(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_' || c == '.' || c == '$' ||
           c == '%' || c == '#' || c == '@';
}

std::string upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

// A byte of the text for an error message, which must stay valid UTF-8.
std::string describe_byte(char c) {
    const auto u = static_cast<unsigned char>(c);
    if (u >= 0x20 && u < 0x7f) return "'" + std::string(1, c) + "'";
    static const char kHex[] = "0123456789ABCDEF";
    return std::string("byte 0x") + kHex[u >> 4] + kHex[u & 15];
}

Status syntax_error(size_t position, const std::string& what) {
    return Status::Error(HFRMSYNTAXERR, what + " at position " + std::to_string(position));
}

class Lexer {
public:
    explicit Lexer(const std::string& text) : text_(text) {}

    Status next(Token* t) {
        while (pos_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[pos_]))) ++pos_;
        *t = Token{};
        t->position = pos_ + 1;
        if (pos_ >= text_.size()) return Status::OK();
        char c = text_[pos_];
        if (std::isdigit(static_cast<unsigned char>(c)) ||
            (c == '.' && pos_ + 1 < text_.size() &&
             std::isdigit(static_cast<unsigned char>(text_[pos_ + 1]))))
            return number(t);
        if (name_start(c)) return name(t);
        if (c == '"') return string(t);
        if (c == '[') return date(t);
        static const char* const kTwo[] = {"<>", "<=", ">="};
        for (const char* two : kTwo)
            if (text_.compare(pos_, 2, two) == 0) {
                t->kind = Tok::Symbol, t->text = two, pos_ += 2;
                return Status::OK();
            }
        if (std::string("+-*/^(),=<>:").find(c) != std::string::npos) {
            t->kind = Tok::Symbol, t->text = std::string(1, c), ++pos_;
            return Status::OK();
        }
        return syntax_error(t->position, "unexpected character " + describe_byte(c));
    }

private:
    // digits [. digits] [e [+-] digits], read by strtod (no hex, no inf).
    Status number(Token* t) {
        auto digits = [&](size_t i) {
            while (i < text_.size() && std::isdigit(static_cast<unsigned char>(text_[i]))) ++i;
            return i;
        };
        size_t end = digits(pos_);
        if (end < text_.size() && text_[end] == '.') end = digits(end + 1);
        if (end < text_.size() && (text_[end] == 'e' || text_[end] == 'E')) {
            size_t exponent = end + 1;
            if (exponent < text_.size() && (text_[exponent] == '+' || text_[exponent] == '-'))
                ++exponent;
            if (digits(exponent) > exponent) end = digits(exponent);
        }
        if (end < text_.size() && name_char(text_[end]))
            return syntax_error(t->position, "malformed number");
        t->number = std::strtod(text_.substr(pos_, end - pos_).c_str(), nullptr);
        if (!(t->number - t->number == 0.0))
            return syntax_error(t->position, "number out of range");
        t->kind = Tok::Number;
        pos_ = end;
        return Status::OK();
    }
    Status name(Token* t) {
        size_t start = pos_;
        while (pos_ < text_.size() && name_char(text_[pos_])) ++pos_;
        t->kind = Tok::Name;
        t->text = text_.substr(start, pos_ - start);
        return Status::OK();
    }
    Status string(Token* t) {
        ++pos_;
        while (pos_ < text_.size()) {
            char c = text_[pos_++];
            if (c != '"') {
                t->text += c;
                continue;
            }
            if (pos_ < text_.size() && text_[pos_] == '"') {  // "" inside a string is one quote
                t->text += '"';
                ++pos_;
                continue;
            }
            t->kind = Tok::String;
            return Status::OK();
        }
        return syntax_error(t->position, "unterminated string");
    }
    Status date(Token* t) {
        size_t close = text_.find(']', pos_);
        if (close == std::string::npos)
            return syntax_error(t->position, "unterminated date literal");
        t->kind = Tok::Date;
        t->text = text_.substr(pos_ + 1, close - pos_ - 1);
        pos_ = close + 1;
        return Status::OK();
    }

    const std::string& text_;
    size_t pos_ = 0;
};

class Parser {
public:
    explicit Parser(const std::string& text) : lexer_(text) {}

    Status run(std::unique_ptr<Node>* tree) {
        CRQX_RETURN_IF_ERROR(advance());
        CRQX_RETURN_IF_ERROR(expr(tree));
        if (tok_.kind != Tok::End)
            return syntax_error(tok_.position, "unexpected '" + describe() + "'");
        return Status::OK();
    }

private:
    Status advance() { return lexer_.next(&tok_); }

    std::string describe() const {
        return tok_.kind == Tok::End ? "end of text" : tok_.text.empty() ? "value" : tok_.text;
    }

    bool is_symbol(const char* s) const { return tok_.kind == Tok::Symbol && tok_.text == s; }
    bool is_keyword(const char* k) const { return tok_.kind == Tok::Name && upper(tok_.text) == k; }

    Status expect_symbol(const char* s) {
        if (!is_symbol(s))
            return syntax_error(tok_.position,
                                std::string("expected '") + s + "' but found '" + describe() + "'");
        return advance();
    }
    Status expect_keyword(const char* k) {
        if (!is_keyword(k))
            return syntax_error(tok_.position,
                                std::string("expected ") + k + " but found '" + describe() + "'");
        return advance();
    }

    // Each expression (the whole text, a parenthesis, a function argument,
    // an IF part) and each unary minus or NOT is one level of nesting.
    struct Depth {
        explicit Depth(int* d) : d_(d) { ++*d_; }
        ~Depth() { --*d_; }
        int* d_;
    };
    Status guard() const {
        if (depth_ > kMaxNesting)
            return syntax_error(tok_.position,
                                "nesting deeper than " + std::to_string(kMaxNesting) + " levels");
        return Status::OK();
    }

    std::unique_ptr<Node> make(NodeKind kind, size_t position) {
        auto n = std::make_unique<Node>();
        n->kind = kind;
        n->position = position;
        return n;
    }
    std::unique_ptr<Node> binary(Op op, size_t position, std::unique_ptr<Node> l,
                                 std::unique_ptr<Node> r) {
        auto n = make(NodeKind::Binary, position);
        n->op = op;
        n->args.push_back(std::move(l));
        n->args.push_back(std::move(r));
        return n;
    }

    Status expr(std::unique_ptr<Node>* out) {
        Depth d(&depth_);
        CRQX_RETURN_IF_ERROR(guard());
        if (!is_keyword("IF")) return disjunction(out);
        auto n = make(NodeKind::If, tok_.position);
        CRQX_RETURN_IF_ERROR(advance());
        n->args.resize(3);
        CRQX_RETURN_IF_ERROR(expr(&n->args[0]));
        CRQX_RETURN_IF_ERROR(expect_keyword("THEN"));
        CRQX_RETURN_IF_ERROR(expr(&n->args[1]));
        CRQX_RETURN_IF_ERROR(expect_keyword("ELSE"));
        CRQX_RETURN_IF_ERROR(expr(&n->args[2]));
        *out = std::move(n);
        return Status::OK();
    }

    // One level of left-associative binary operators.
    template <typename Next, typename Match>
    Status chain(std::unique_ptr<Node>* out, Next next, Match match) {
        CRQX_RETURN_IF_ERROR((this->*next)(out));
        Op op;
        while (match(&op)) {
            size_t position = tok_.position;
            CRQX_RETURN_IF_ERROR(advance());
            std::unique_ptr<Node> right;
            CRQX_RETURN_IF_ERROR((this->*next)(&right));
            *out = binary(op, position, std::move(*out), std::move(right));
        }
        return Status::OK();
    }

    Status disjunction(std::unique_ptr<Node>* out) {
        return chain(out, &Parser::conjunction,
                     [&](Op* op) { return is_keyword("OR") && (*op = Op::Or, true); });
    }
    Status conjunction(std::unique_ptr<Node>* out) {
        return chain(out, &Parser::negation,
                     [&](Op* op) { return is_keyword("AND") && (*op = Op::And, true); });
    }
    Status negation(std::unique_ptr<Node>* out) {
        if (!is_keyword("NOT")) return comparison(out);
        Depth d(&depth_);
        CRQX_RETURN_IF_ERROR(guard());
        auto n = make(NodeKind::Unary, tok_.position);
        n->op = Op::Not;
        CRQX_RETURN_IF_ERROR(advance());
        n->args.resize(1);
        CRQX_RETURN_IF_ERROR(negation(&n->args[0]));
        *out = std::move(n);
        return Status::OK();
    }
    Status comparison(std::unique_ptr<Node>* out) {
        CRQX_RETURN_IF_ERROR(sum(out));
        static const std::pair<const char*, Op> kOps[] = {{"=", Op::Eq}, {"<>", Op::Ne},
                                                          {"<", Op::Lt}, {"<=", Op::Le},
                                                          {">", Op::Gt}, {">=", Op::Ge}};
        for (const auto& [symbol, op] : kOps) {
            if (!is_symbol(symbol)) continue;
            size_t position = tok_.position;
            CRQX_RETURN_IF_ERROR(advance());
            std::unique_ptr<Node> right;
            CRQX_RETURN_IF_ERROR(sum(&right));
            *out = binary(op, position, std::move(*out), std::move(right));
            break;
        }
        return Status::OK();
    }
    Status sum(std::unique_ptr<Node>* out) {
        return chain(out, &Parser::product, [&](Op* op) {
            if (is_symbol("+")) return *op = Op::Add, true;
            if (is_symbol("-")) return *op = Op::Sub, true;
            return false;
        });
    }
    Status product(std::unique_ptr<Node>* out) {
        return chain(out, &Parser::unary, [&](Op* op) {
            if (is_symbol("*")) return *op = Op::Mul, true;
            if (is_symbol("/")) return *op = Op::Div, true;
            return false;
        });
    }
    Status unary(std::unique_ptr<Node>* out) {
        if (!is_symbol("-") && !is_symbol("+")) return power(out);
        Depth d(&depth_);
        CRQX_RETURN_IF_ERROR(guard());
        bool negate = is_symbol("-");
        size_t position = tok_.position;
        CRQX_RETURN_IF_ERROR(advance());
        std::unique_ptr<Node> operand;
        CRQX_RETURN_IF_ERROR(unary(&operand));
        if (!negate) {
            *out = std::move(operand);
            return Status::OK();
        }
        auto n = make(NodeKind::Unary, position);
        n->op = Op::Neg;
        n->args.push_back(std::move(operand));
        *out = std::move(n);
        return Status::OK();
    }
    Status power(std::unique_ptr<Node>* out) {
        CRQX_RETURN_IF_ERROR(atom(out));
        if (!is_symbol("^")) return Status::OK();
        size_t position = tok_.position;
        CRQX_RETURN_IF_ERROR(advance());
        std::unique_ptr<Node> exponent;
        CRQX_RETURN_IF_ERROR(unary(&exponent));  // right-associative: 2^3^2 is 2^(3^2)
        *out = binary(Op::Pow, position, std::move(*out), std::move(exponent));
        return Status::OK();
    }

    Status atom(std::unique_ptr<Node>* out) {
        size_t position = tok_.position;
        switch (tok_.kind) {
            case Tok::End: return syntax_error(position, "expected a value but found end of text");
            case Tok::Number: {
                auto n = make(NodeKind::Number, position);
                n->number = tok_.number;
                *out = std::move(n);
                return advance();
            }
            case Tok::String: {
                auto n = make(NodeKind::String, position);
                n->text = tok_.text;
                *out = std::move(n);
                return advance();
            }
            case Tok::Date: return date(out);
            case Tok::Name: return name(out);
            case Tok::Symbol: break;
        }
        if (!is_symbol("("))
            return syntax_error(position, "expected a value but found '" + describe() + "'");
        CRQX_RETURN_IF_ERROR(advance());
        CRQX_RETURN_IF_ERROR(expr(out));
        return expect_symbol(")");
    }

    // [FREQUENCY literal]: both parts may hold blanks ("15 MINUTELY",
    // "2020-07-31 13:45"), so every blank is tried as the divide.
    Status date(std::unique_ptr<Node>* out) {
        const size_t position = tok_.position;
        const std::string body = tok_.text;
        std::string frequency_part;
        for (size_t blank = body.find(' '); blank != std::string::npos;
             blank = body.find(' ', blank + 1)) {
            int frequency = 0;
            if (!calendar::parse_frequency(upper(body.substr(0, blank)), frequency).ok()) continue;
            frequency_part = body.substr(0, blank);
            auto f = calendar::describe_frequency(frequency);
            int32_t index = 0;
            if (!f || !calendar::parse_literal(*f, body.substr(blank + 1), calendar::kCalendarYear,
                                               0, 2000, index)
                           .ok())
                continue;
            auto n = make(NodeKind::Date, position);
            n->number = index;
            n->frequency = frequency;
            *out = std::move(n);
            return advance();
        }
        if (frequency_part.empty())
            return syntax_error(
                position,
                "a date literal is [FREQUENCY literal]: unknown frequency in '" + body + "'");
        return syntax_error(position, "'" + body + "' holds no date of " + frequency_part);
    }

    Status name(std::unique_ptr<Node>* out) {
        size_t position = tok_.position;
        std::string word = tok_.text, key = upper(word);
        CRQX_RETURN_IF_ERROR(advance());
        static const std::pair<const char*, double> kConstants[] = {
            {"TRUE", 1}, {"FALSE", 0}, {"NC", kNCValue}, {"ND", kNDValue}, {"NA", kNAValue}};
        for (const auto& [constant, value] : kConstants) {
            if (key != constant) continue;
            auto n = make(value <= kNAValue ? NodeKind::Missing : NodeKind::Boolean, position);
            n->number = value;
            *out = std::move(n);
            return Status::OK();
        }
        static const char* const kReserved[] = {"IF", "THEN", "ELSE", "AND", "OR", "NOT"};
        for (const char* r : kReserved)
            if (key == r) return syntax_error(position, "unexpected keyword " + key);
        if (is_symbol("(")) return call(word, position, out);
        auto n = make(NodeKind::Name, position);
        if (is_symbol(":")) {  // db:name
            CRQX_RETURN_IF_ERROR(advance());
            if (tok_.kind != Tok::Name)
                return syntax_error(tok_.position, "expected an object name after ':'");
            n->qualifier = word;
            word = tok_.text;
            CRQX_RETURN_IF_ERROR(advance());
        }
        n->text = word;
        *out = std::move(n);
        return Status::OK();
    }

    Status call(const std::string& function, size_t position, std::unique_ptr<Node>* out) {
        auto n = make(NodeKind::Call, position);
        n->text = function;
        CRQX_RETURN_IF_ERROR(advance());  // (
        if (!is_symbol(")")) {
            while (true) {
                n->args.emplace_back();
                CRQX_RETURN_IF_ERROR(expr(&n->args.back()));
                if (!is_symbol(",")) break;
                CRQX_RETURN_IF_ERROR(advance());
            }
        }
        CRQX_RETURN_IF_ERROR(expect_symbol(")"));
        *out = std::move(n);
        return Status::OK();
    }

    static constexpr double kNCValue = missing::kDoubleNC;
    static constexpr double kNDValue = missing::kDoubleND;
    static constexpr double kNAValue = missing::kDoubleNA;

    Lexer lexer_;
    Token tok_;
    int depth_ = 0;
};

}  // namespace

Status parse(const std::string& text, std::unique_ptr<Node>* tree) {
    if (text.size() > kMaxSourceLength)
        return Status::Error(HNFSRCLONG, "the source is " + std::to_string(text.size()) +
                                             " bytes, more than " +
                                             std::to_string(kMaxSourceLength));
    if (text.find('\0') != std::string::npos)
        return syntax_error(text.find('\0') + 1, "unexpected NUL character");
    return Parser(text).run(tree);
}

const char* op_text(Op op) {
    switch (op) {
        case Op::Add: return "+";
        case Op::Sub: return "-";
        case Op::Mul: return "*";
        case Op::Div: return "/";
        case Op::Pow: return "^";
        case Op::Neg: return "-";
        case Op::Eq: return "=";
        case Op::Ne: return "<>";
        case Op::Lt: return "<";
        case Op::Le: return "<=";
        case Op::Gt: return ">";
        case Op::Ge: return ">=";
        case Op::And: return "AND";
        case Op::Or: return "OR";
        case Op::Not: return "NOT";
    }
    return "?";
}

}  // namespace language
}  // namespace crqx
