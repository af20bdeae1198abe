#pragma once

#include "sim/BoardOutputs.h"
#include "sim/BoardProgram.h"
#include "sim/LatteParser.h"

#include <deque>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace pavlune {

// A latte script as the board runs it. Knows the calls the cards write:
// led, sleep (milliseconds), out, pwm (microseconds), beep, uart (the next
// character received, -1 when none) and exit. An unknown call or variable
// is reported once and counts as 0.
class LatteProgram : public BoardProgram {
public:
    LatteProgram(std::vector<LatteOperation> operations, BoardOutputs& outputs, BoardObserver& observer);

    void input(char character) override { received_.push_back(character); }

protected:
    Step step() override;

private:
    long evaluate(const LatteExpression& expression);
    long call(const LatteExpression& expression);
    void complainOnce(const std::string& what);

    std::vector<LatteOperation> operations_;
    std::size_t pc_ = 0;
    std::map<std::string, long> variables_;
    std::deque<char> received_;
    long sleepMillis_ = 0;
    bool exited_ = false;
    std::set<std::string> complaints_;
    BoardOutputs& outputs_;
    BoardObserver& observer_;
};

} // namespace pavlune
