#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace pavlune {

// An expression of a latte script.
struct LatteExpression {
    enum class Kind { number, variable, assign, unary, binary, call };
    Kind kind = Kind::number;
    long number = 0;
    std::string name; // variable, assigned variable or function
    std::string op;   // unary or binary operator
    std::vector<LatteExpression> operands;
};

// One step of a script turned into a flat list: evaluate an expression (a
// call may wait or exit), or jump, unconditionally or when a condition is 0.
struct LatteOperation {
    enum class Kind { evaluate, jumpUnless, jump };
    Kind kind = Kind::evaluate;
    LatteExpression expression;
    std::size_t target = 0;
    int line = 1; // where the statement starts in the script, counted from 1
};

// Reads the script language the latte cards write: statements ending in ';',
// "var" declarations, blocks, "while" loops (with a body or a lone ';') and
// C-like expressions with calls. Loops become jumps.
class LatteParser {
public:
    struct Result {
        std::vector<LatteOperation> operations;
        std::string error; // empty when the script was read whole
    };

    static Result parse(const std::string& script);
};

} // namespace pavlune
