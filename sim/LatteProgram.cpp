#include "sim/LatteProgram.h"

#include <algorithm>
#include <chrono>

namespace pavlune {

LatteProgram::LatteProgram(std::vector<LatteOperation> operations, BoardOutputs& outputs,
                           BoardObserver& observer)
    : operations_(std::move(operations)), outputs_(outputs), observer_(observer) {}

void LatteProgram::complainOnce(const std::string& what) {
    if (complaints_.insert(what).second) {
        observer_.boardComplained("latte: " + what);
    }
}

BoardProgram::Step LatteProgram::step() {
    if (pc_ >= operations_.size()) {
        return Step::end();
    }
    const LatteOperation& operation = operations_[pc_++];
    runningAt(operation.line);
    switch (operation.kind) {
    case LatteOperation::Kind::jump:
        pc_ = operation.target;
        break;
    case LatteOperation::Kind::jumpUnless:
        if (evaluate(operation.expression) == 0) {
            pc_ = operation.target;
        }
        break;
    case LatteOperation::Kind::evaluate:
        evaluate(operation.expression);
        break;
    }
    if (exited_) {
        return Step::end();
    }
    if (sleepMillis_ > 0) {
        const auto millis = sleepMillis_;
        sleepMillis_ = 0;
        return Step::waitFor(std::chrono::milliseconds(millis));
    }
    return Step::next();
}

// One line per operator of the board's language, read as its table; splitting
// it would scatter the table. NOLINTNEXTLINE(readability-function-cognitive-complexity)
long LatteProgram::evaluate(const LatteExpression& expression) {
    using Kind = LatteExpression::Kind;
    switch (expression.kind) {
    case Kind::number:
        return expression.number;
    case Kind::variable: {
        const auto known = variables_.find(expression.name);
        if (known == variables_.end()) {
            complainOnce("unknown variable \"" + expression.name + "\"");
            return 0;
        }
        return known->second;
    }
    case Kind::assign:
        return variables_[expression.name] = evaluate(expression.operands.at(0));
    case Kind::unary: {
        const long value = evaluate(expression.operands.at(0));
        return expression.op == "~" ? ~value : expression.op == "-" ? -value : !value;
    }
    case Kind::binary: {
        const long left = evaluate(expression.operands.at(0));
        const std::string& op = expression.op;
        if (op == "&&" || op == "||") { // the right side only when it counts
            return op == "&&" ? (left && evaluate(expression.operands.at(1)))
                              : (left || evaluate(expression.operands.at(1)));
        }
        const long right = evaluate(expression.operands.at(1));
        if (op == "|")
            return left | right;
        if (op == "&")
            return left & right;
        if (op == "==")
            return left == right;
        if (op == "!=")
            return left != right;
        if (op == "<")
            return left < right;
        if (op == ">")
            return left > right;
        if (op == "<=")
            return left <= right;
        if (op == ">=")
            return left >= right;
        if (op == "+")
            return left + right;
        if (op == "-")
            return left - right;
        if (op == "*")
            return left * right;
        if (right == 0) {
            complainOnce("division by 0");
            return 0;
        }
        return op == "/" ? left / right : left % right;
    }
    case Kind::call:
        return call(expression);
    }
    return 0;
}

long LatteProgram::call(const LatteExpression& expression) {
    std::vector<long> arguments;
    for (const LatteExpression& operand : expression.operands) {
        arguments.push_back(evaluate(operand));
    }
    const auto argument = [&](std::size_t index) { return index < arguments.size() ? arguments[index] : 0L; };
    const std::string& name = expression.name;
    if (name == "led") {
        outputs_.setLed(argument(0) != 0);
    } else if (name == "out") {
        outputs_.setOutputs(static_cast<unsigned>(argument(0)));
    } else if (name == "pwm") {
        outputs_.setPwm(static_cast<int>(argument(0)), static_cast<int>(argument(1)));
    } else if (name == "beep") {
        outputs_.beep();
    } else if (name == "sleep") {
        sleepMillis_ += std::max(0L, argument(0));
    } else if (name == "uart") {
        if (received_.empty()) {
            return -1;
        }
        const auto character = static_cast<unsigned char>(received_.front());
        received_.pop_front();
        return character;
    } else if (name == "exit") {
        exited_ = true;
    } else {
        complainOnce("unknown call \"" + name + "()\"");
    }
    return 0;
}

} // namespace pavlune
