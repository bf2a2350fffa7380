// Text to syntax tree: the lexer and the parser of the expression language.
// The parser is recursive descent with a depth guard, so no text can nest
// deeper than kMaxNesting levels or run the stack out.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/missing.h"
#include "core/status.h"

namespace crqx {
namespace language {

constexpr size_t kMaxSourceLength = 4096;  // bytes; longer: HNFSRCLONG
constexpr int kMaxNesting = 64;            // nested parentheses, calls, operators

enum class NodeKind { Number, String, Boolean, Missing, Date, Name, Unary, Binary, Call, If };

enum class Op { Add, Sub, Mul, Div, Pow, Neg, Eq, Ne, Lt, Le, Gt, Ge, And, Or, Not };

struct Node {
    NodeKind kind = NodeKind::Number;
    size_t position = 0;  // 1-based byte offset in the text
    double number = 0;    // Number, Boolean (0/1), Missing (its code), Date (its index)
    int frequency = 0;    // Date
    std::string
        text;  // String value; Name and Call: the name; Name: its database qualifier in `qualifier`
    std::string qualifier;
    Op op = Op::Add;
    std::vector<std::unique_ptr<Node>> args;
};

// HFRMSYNTAXERR (with "at position N" in the message) for text that does
// not parse, HNFSRCLONG beyond kMaxSourceLength.
Status parse(const std::string& text, std::unique_ptr<Node>* tree);

const char* op_text(Op op);

}  // namespace language
}  // namespace crqx
