#include "sim/LatteParser.h"

#include <algorithm>
#include <cctype>
#include <stdexcept>

namespace pavlune {

namespace {

struct Token {
    enum class Kind { number, name, symbol, end };
    Kind kind = Kind::end;
    std::string text;
    long number = 0;
    int line = 1;
};

std::vector<Token> tokenize(const std::string& script) {
    std::vector<Token> tokens;
    int line = 1;
    std::size_t at = 0;
    while (at < script.size()) {
        const char c = script[at];
        if (c == '\n') {
            ++line;
            ++at;
        } else if (std::isspace(static_cast<unsigned char>(c))) {
            ++at;
        } else if (c == '/' && at + 1 < script.size() && script[at + 1] == '/') {
            at = script.find('\n', at);
            at = at == std::string::npos ? script.size() : at;
        } else if (std::isdigit(static_cast<unsigned char>(c))) {
            std::size_t used = 0;
            const long value = std::stol(script.substr(at), &used, 0);
            tokens.push_back({Token::Kind::number, script.substr(at, used), value, line});
            at += used;
        } else if (std::isalpha(static_cast<unsigned char>(c)) || c == '_') {
            std::size_t end = at;
            while (end < script.size() &&
                   (std::isalnum(static_cast<unsigned char>(script[end])) || script[end] == '_')) {
                ++end;
            }
            tokens.push_back({Token::Kind::name, script.substr(at, end - at), 0, line});
            at = end;
        } else {
            static const char* const pairs[] = {"==", "!=", "<=", ">=", "&&", "||"};
            std::string symbol(1, c);
            for (const char* pair : pairs) {
                if (script.compare(at, 2, pair) == 0) {
                    symbol = pair;
                }
            }
            tokens.push_back({Token::Kind::symbol, symbol, 0, line});
            at += symbol.size();
        }
    }
    tokens.push_back({Token::Kind::end, "end of script", 0, line});
    return tokens;
}

class Reader {
public:
    explicit Reader(std::vector<Token> tokens) : tokens_(std::move(tokens)) {}

    std::vector<LatteOperation> script() {
        while (peek().kind != Token::Kind::end) {
            statement();
        }
        return std::move(operations_);
    }

private:
    const Token& peek(std::size_t ahead = 0) const {
        return tokens_[std::min(at_ + ahead, tokens_.size() - 1)];
    }
    bool isSymbol(const std::string& symbol, std::size_t ahead = 0) const {
        return peek(ahead).kind == Token::Kind::symbol && peek(ahead).text == symbol;
    }
    bool accept(const std::string& symbol) {
        if (!isSymbol(symbol)) {
            return false;
        }
        ++at_;
        return true;
    }
    void expect(const std::string& symbol) {
        if (!accept(symbol)) {
            fail("\"" + symbol + "\" expected before \"" + peek().text + "\"");
        }
    }
    [[noreturn]] void fail(const std::string& what) const {
        throw std::runtime_error("line " + std::to_string(peek().line) + ": " + what);
    }
    std::string name() {
        if (peek().kind != Token::Kind::name) {
            fail("a name expected, not \"" + peek().text + "\"");
        }
        return tokens_[at_++].text;
    }

    void emit(int line, LatteOperation::Kind kind, LatteExpression expression = {}, std::size_t target = 0) {
        operations_.push_back({kind, std::move(expression), target, line});
    }

    void statement() {
        // A statement's operations belong to the line it starts on: a loop's
        // jump back too, though its body may end lines later.
        const int line = peek().line;
        if (accept(";")) {
            return;
        }
        if (accept("{")) {
            while (!accept("}")) {
                if (peek().kind == Token::Kind::end) {
                    fail("\"}\" missing");
                }
                statement();
            }
            return;
        }
        if (peek().kind == Token::Kind::name && peek().text == "var") {
            ++at_;
            do {
                LatteExpression assign{LatteExpression::Kind::assign, 0, name(), "", {}};
                assign.operands.push_back(accept("=") ? expression() : LatteExpression{});
                emit(line, LatteOperation::Kind::evaluate, std::move(assign));
            } while (accept(","));
            expect(";");
            return;
        }
        if (peek().kind == Token::Kind::name && peek().text == "while") {
            ++at_;
            expect("(");
            const std::size_t top = operations_.size();
            emit(line, LatteOperation::Kind::jumpUnless, expression());
            expect(")");
            statement();
            emit(line, LatteOperation::Kind::jump, {}, top);
            operations_[top].target = operations_.size();
            return;
        }
        emit(line, LatteOperation::Kind::evaluate, expression());
        expect(";");
    }

    LatteExpression expression() {
        if (peek().kind == Token::Kind::name && isSymbol("=", 1)) {
            LatteExpression assign{LatteExpression::Kind::assign, 0, name(), "", {}};
            ++at_;
            assign.operands.push_back(expression());
            return assign;
        }
        return binary(0);
    }

    LatteExpression binary(std::size_t level) {
        static const std::vector<std::vector<std::string>> levels{
            {"||"}, {"&&"}, {"|"}, {"&"}, {"==", "!="}, {"<", ">", "<=", ">="}, {"+", "-"}, {"*", "/", "%"}};
        if (level == levels.size()) {
            return unary();
        }
        LatteExpression left = binary(level + 1);
        for (;;) {
            std::string op;
            for (const std::string& candidate : levels[level]) {
                if (isSymbol(candidate)) {
                    op = candidate;
                }
            }
            if (op.empty()) {
                return left;
            }
            ++at_;
            LatteExpression combined{LatteExpression::Kind::binary, 0, "", op, {}};
            combined.operands.push_back(std::move(left));
            combined.operands.push_back(binary(level + 1));
            left = std::move(combined);
        }
    }

    LatteExpression unary() {
        for (const char* op : {"~", "-", "!"}) {
            if (accept(op)) {
                LatteExpression result{LatteExpression::Kind::unary, 0, "", op, {}};
                result.operands.push_back(unary());
                return result;
            }
        }
        return primary();
    }

    LatteExpression primary() {
        if (accept("(")) {
            LatteExpression inner = expression();
            expect(")");
            return inner;
        }
        if (peek().kind == Token::Kind::number) {
            return {LatteExpression::Kind::number, tokens_[at_++].number, "", "", {}};
        }
        const std::string called = name();
        if (!accept("(")) {
            return {LatteExpression::Kind::variable, 0, called, "", {}};
        }
        LatteExpression call{LatteExpression::Kind::call, 0, called, "", {}};
        if (!accept(")")) {
            do {
                call.operands.push_back(expression());
            } while (accept(","));
            expect(")");
        }
        return call;
    }

    std::vector<Token> tokens_;
    std::size_t at_ = 0;
    std::vector<LatteOperation> operations_;
};

} // namespace

LatteParser::Result LatteParser::parse(const std::string& script) {
    Result result;
    try {
        result.operations = Reader(tokenize(script)).script();
    } catch (const std::exception& error) {
        result.error = error.what();
    }
    return result;
}

} // namespace pavlune
