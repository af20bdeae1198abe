#include "sim/JamProgram.h"

#include "sim/BoardText.h"

#include <algorithm>
#include <cctype>
#include <chrono>

namespace pavlune {

namespace {

using Statement = JamProgram::Statement;
using Kind = JamProgram::Statement::Kind;

std::vector<std::string> split(const std::string& text, char separator) {
    std::vector<std::string> parts(1);
    for (const char c : text) {
        if (c == separator) {
            parts.emplace_back();
        } else {
            parts.back() += c;
        }
    }
    return parts;
}

// "1", "I", "-2", "A+1"; false when it is none of these.
bool parseExpression(const std::string& text, JamProgram::Expression& expression) {
    expression.clear();
    std::size_t at = 0;
    int sign = 1;
    bool wantTerm = true;
    while (at < text.size()) {
        const char c = text[at];
        if (c == ' ') {
            ++at;
        } else if ((c == '+' || c == '-') && wantTerm) {
            sign = c == '-' ? -sign : sign;
            ++at;
        } else if ((c == '+' || c == '-') && !wantTerm) {
            sign = c == '-' ? -1 : 1;
            wantTerm = true;
            ++at;
        } else if (wantTerm && std::isdigit(static_cast<unsigned char>(c))) {
            int number = 0;
            while (at < text.size() && std::isdigit(static_cast<unsigned char>(text[at]))) {
                number = number * 10 + (text[at++] - '0');
            }
            expression.push_back({sign, 0, number});
            sign = 1;
            wantTerm = false;
        } else if (wantTerm && c >= 'A' && c <= 'Z' &&
                   (at + 1 == text.size() || !std::isalpha(static_cast<unsigned char>(text[at + 1])))) {
            expression.push_back({sign, c, 0});
            sign = 1;
            wantTerm = false;
            ++at;
        } else {
            return false;
        }
    }
    return !wantTerm;
}

bool parseArguments(const std::string& text, std::size_t least, std::size_t most, Statement& statement) {
    if (trimmed(text).empty()) {
        return least == 0;
    }
    const auto parts = split(text, ',');
    if (parts.size() < least || parts.size() > most) {
        return false;
    }
    for (const std::string& part : parts) {
        JamProgram::Expression expression;
        if (!parseExpression(trimmed(part), expression)) {
            return false;
        }
        statement.arguments.push_back(expression);
    }
    return true;
}

bool parseFor(const std::string& rest, Statement& statement) {
    // "I = 1 TO 3"
    const auto equals = rest.find('=');
    const auto to = rest.find(" TO ");
    if (equals == std::string::npos || to == std::string::npos || to < equals) {
        return false;
    }
    const std::string variable = trimmed(rest.substr(0, equals));
    if (variable.size() != 1 || variable[0] < 'A' || variable[0] > 'Z') {
        return false;
    }
    statement.variable = variable[0];
    JamProgram::Expression from;
    JamProgram::Expression limit;
    if (!parseExpression(trimmed(rest.substr(equals + 1, to - equals - 1)), from) ||
        !parseExpression(trimmed(rest.substr(to + 4)), limit)) {
        return false;
    }
    statement.arguments = {from, limit};
    return true;
}

bool parseGoto(const std::string& rest, Statement& statement) {
    if (!rest.empty() && rest[0] == '@') {
        statement.kind = Kind::gotoLabel;
        statement.label = rest;
        return rest.find(' ') == std::string::npos;
    }
    statement.kind = Kind::gotoLine;
    return parseArguments(rest, 1, 1, statement);
}

std::chrono::nanoseconds sixtieths(int count) {
    return std::chrono::nanoseconds(static_cast<long long>(count) * 1'000'000'000LL / 60);
}

} // namespace

Statement JamProgram::parseStatement(const std::string& text) {
    Statement statement;
    statement.text = trimmed(text);
    const std::string source = upperCased(statement.text);
    if (!source.empty() && source[0] == '@') {
        statement.kind = Kind::label;
        statement.label = source.substr(0, source.find(' '));
        return statement;
    }
    std::size_t keywordEnd = 0;
    while (keywordEnd < source.size() && std::isalpha(static_cast<unsigned char>(source[keywordEnd]))) {
        ++keywordEnd;
    }
    const std::string keyword = source.substr(0, keywordEnd);
    const std::string rest = trimmed(source.substr(keywordEnd));
    bool known = false;
    if (keyword == "LED") {
        statement.kind = Kind::led;
        known = parseArguments(rest, 1, 1, statement);
    } else if (keyword == "WAIT") {
        statement.kind = Kind::wait;
        known = parseArguments(rest, 1, 1, statement);
    } else if (keyword == "OUT") {
        statement.kind = Kind::out;
        known = parseArguments(rest, 1, 2, statement);
    } else if (keyword == "PWM") {
        statement.kind = Kind::pwm;
        known = parseArguments(rest, 2, 2, statement);
    } else if (keyword == "BEEP") {
        statement.kind = Kind::beep;
        known = parseArguments(rest, 0, 2, statement);
    } else if (keyword == "GOTO") {
        known = parseGoto(rest, statement);
    } else if (keyword == "FOR") {
        statement.kind = Kind::forLoop;
        known = parseFor(" " + rest + " ", statement);
    } else if (keyword == "NEXT") {
        statement.kind = Kind::next;
        known = rest.empty() || (rest.size() == 1 && rest[0] >= 'A' && rest[0] <= 'Z');
    } else if (keyword == "END") {
        statement.kind = Kind::end;
        known = rest.empty();
    }
    if (!known) {
        statement.kind = Kind::unknown;
        statement.arguments.clear();
    }
    return statement;
}

JamProgram::JamProgram(const std::map<int, std::string>& lines, BoardOutputs& outputs,
                       BoardObserver& observer)
    : outputs_(outputs), observer_(observer) {
    for (const auto& [number, text] : lines) {
        for (const std::string& part : split(text, ':')) {
            if (trimmed(part).empty()) {
                continue;
            }
            Statement statement = parseStatement(part);
            statement.line = number;
            statements_.push_back(std::move(statement));
        }
    }
    complained_.assign(statements_.size(), false);
}

int JamProgram::evaluate(const Expression& expression) const {
    int sum = 0;
    for (const Term& term : expression) {
        sum += term.sign * (term.variable ? variables_[term.variable - 'A'] : term.number);
    }
    return sum;
}

int JamProgram::argument(const Statement& statement, std::size_t index) const {
    return index < statement.arguments.size() ? evaluate(statement.arguments[index]) : 0;
}

std::optional<std::size_t> JamProgram::findLine(int line) const {
    for (std::size_t index = 0; index < statements_.size(); ++index) {
        if (statements_[index].line == line) {
            return index;
        }
    }
    return std::nullopt;
}

std::optional<std::size_t> JamProgram::findLabel(const std::string& label) const {
    for (std::size_t index = 0; index < statements_.size(); ++index) {
        if (statements_[index].kind == Kind::label && statements_[index].label == label) {
            return index;
        }
    }
    return std::nullopt;
}

void JamProgram::complain(std::size_t index, const std::string& what) {
    if (complained_[index]) {
        return; // once per statement, not once per pass through a loop
    }
    complained_[index] = true;
    const Statement& statement = statements_[index];
    const std::string where = statement.line > 0 ? "line " + std::to_string(statement.line) + ": " : "";
    observer_.boardComplained("jam: " + where + what + " \"" + statement.text + "\"");
}

BoardProgram::Step JamProgram::step() {
    if (pc_ >= statements_.size()) {
        return Step::end();
    }
    const std::size_t index = pc_++;
    const Statement& statement = statements_[index];
    runningAt(statement.line);
    switch (statement.kind) {
    case Kind::label:
        break;
    case Kind::led:
        outputs_.setLed(argument(statement, 0) != 0);
        break;
    case Kind::wait:
        return Step::waitFor(sixtieths(std::max(0, argument(statement, 0))));
    case Kind::out:
        if (statement.arguments.size() == 2) {
            outputs_.setOutput(argument(statement, 0), argument(statement, 1) != 0);
        } else {
            outputs_.setOutputs(static_cast<unsigned>(argument(statement, 0)));
        }
        break;
    case Kind::pwm:
        // The board's pulse widths are in hundredths of a millisecond.
        outputs_.setPwm(argument(statement, 0), argument(statement, 1) * 10);
        break;
    case Kind::beep:
        outputs_.beep();
        break;
    case Kind::gotoLabel:
    case Kind::gotoLine: {
        const auto target =
            statement.kind == Kind::gotoLabel ? findLabel(statement.label) : findLine(argument(statement, 0));
        if (target) {
            pc_ = *target;
        } else {
            complain(index, "no such line or label in");
        }
        break;
    }
    case Kind::forLoop:
        variables_[statement.variable - 'A'] = argument(statement, 0);
        loops_.push_back({statement.variable, argument(statement, 1), pc_});
        break;
    case Kind::next:
        if (loops_.empty()) {
            complain(index, "NEXT without FOR in");
            break;
        }
        if (++variables_[loops_.back().variable - 'A'] <= loops_.back().limit) {
            pc_ = loops_.back().resume;
        } else {
            loops_.pop_back();
        }
        break;
    case Kind::end:
        return Step::end();
    case Kind::unknown:
        complain(index, "unknown statement");
        break;
    }
    return Step::next();
}

} // namespace pavlune
