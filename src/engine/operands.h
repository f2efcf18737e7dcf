// Evaluating a statement's operands, with the parsed form kept on the
// statement so that loops do not split the same text again.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace vendrix {

class Engine;
struct Statement;

// Operand n (0-based: 0 is the first operand after the keyword), evaluated.
std::string EvaluateOperand(Engine& engine, const Statement& statement, size_t n);
// Its integer value, with the default for a text that is no number.
int32_t OperandInteger(Engine& engine, const Statement& statement, size_t n, int32_t defaultValue);
// Whether its value is true, with no text made for a comparison.
bool OperandTruth(Engine& engine, const Statement& statement, size_t n);
// EvaluateIntegerAnswer of operand n.
std::optional<int32_t> OperandIntegerAnswer(Engine& engine, const Statement& statement, size_t n);

// The index of the variable operand 1 names, or -1.
int OperandVariable(Engine& engine, const Statement& statement);

}  // namespace vendrix
