#pragma once

#include "sim/BoardOutputs.h"
#include "sim/BoardProgram.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace pavlune {

// A jam program as the board runs it: numbered lines in order, statements
// separated by ':'. Knows what the cards write: LED, WAIT (sixtieths of a
// second), OUT (all outputs, or one output and its value), PWM, BEEP,
// labels with GOTO, FOR/NEXT and END. A statement it does not know is
// reported once and passed over.
class JamProgram : public BoardProgram {
public:
    // An expression: a sum of numbers and one-letter variables.
    struct Term {
        int sign = 1;
        char variable = 0; // 'A'..'Z', or 0 for a number
        int number = 0;
    };
    using Expression = std::vector<Term>;

    struct Statement {
        enum class Kind {
            label,
            led,
            wait,
            out,
            pwm,
            beep,
            gotoLabel,
            gotoLine,
            forLoop,
            next,
            end,
            unknown
        };
        Kind kind = Kind::unknown;
        int line = 0;
        std::string text;  // as written, for complaints
        std::string label; // label and GOTO @LABEL, upper case
        char variable = 0; // FOR
        std::vector<Expression> arguments;
    };

    // `lines`: line number -> text. Line 0 is a statement typed at the prompt.
    JamProgram(const std::map<int, std::string>& lines, BoardOutputs& outputs, BoardObserver& observer);

    // One statement of text (without ':'), for tests and the prompt.
    static Statement parseStatement(const std::string& text);

protected:
    Step step() override;

private:
    struct OpenLoop {
        char variable;
        int limit;
        std::size_t resume;
    };

    int evaluate(const Expression& expression) const;
    int argument(const Statement& statement, std::size_t index) const;
    // Index of the first statement of `line` or of the line holding `label`.
    std::optional<std::size_t> findLine(int line) const;
    std::optional<std::size_t> findLabel(const std::string& label) const;
    void complain(std::size_t index, const std::string& what);

    std::vector<Statement> statements_;
    std::vector<bool> complained_;
    std::size_t pc_ = 0;
    int variables_[26] = {};
    std::vector<OpenLoop> loops_;
    BoardOutputs& outputs_;
    BoardObserver& observer_;
};

} // namespace pavlune
