// The command lines of quorvel-cli and quorvel-shape: tables of plain records
// read by CLI11. Numbers are strict (a whole number refuses "2.5" and "12x",
// every number its range), each refusal is the tool's own text, and CLI11's
// exceptions stay inside ParseArgs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace quorvel {

// Takes an option's text; false refuses it.
using ArgStore = std::function<bool(const std::string& text)>;
// A refusal built from the word that caused it.
using ArgMessage = std::function<std::string(const std::string& word)>;

struct ArgOption {
  std::string names;     // CLI11's form: "-s,--shape"
  ArgStore store;        // a value option
  std::function<void()> set;  // a flag (no value)
  std::string refusal;   // a bad, missing or repeated value
  bool once = false;     // a second occurrence is refused
  std::string who;       // whose usage explains a refusal; empty: the command's
};

ArgOption TextArg(std::string names, std::string& out, std::string refusal);
ArgOption WholeArg(std::string names, std::int32_t& out, std::int32_t low, std::int32_t high, std::string refusal);
ArgOption DecimalArg(std::string names, double& out, double low, double high, std::string refusal);
ArgOption ChoiceArg(std::string names, ArgStore store, std::string refusal);
ArgOption FlagArg(std::string names, bool& out);
ArgOption Once(ArgOption option);
ArgOption SaidBy(std::string who, ArgOption option);

struct ArgCommand {
  std::string name;  // the command word; empty for the tool itself
  std::string who;   // whose usage explains a refusal
  std::vector<ArgOption> options;
  std::vector<std::string>* words = nullptr;  // the plain words, in order; null: none taken
  std::size_t max_words = 0;                  // with words: 0 for any number
  ArgMessage unknown;  // an option not in the table (for the tool: a word that is no command)
  ArgMessage surplus;  // a word beyond max_words; unset: unknown
  ArgMessage missing;  // an option without its value, by the name as typed; unset: its refusal
  bool version = false;  // understands --version
  std::vector<ArgCommand> commands;
};

enum class ArgsVerdict { kRun, kHelp, kVersion, kRefused };

struct ArgsOutcome {
  ArgsVerdict verdict = ArgsVerdict::kRun;
  std::string command;  // the command word given; empty for none, or help asked of the tool
  std::string message;  // kRefused: one line
  std::string who;      // kRefused: whose usage explains it
};

// -h or --help anywhere on a command's line asks for that command's help,
// and is answered before any fault; --version likewise where understood.
// Otherwise the first fault in the order of the words is refused. An option
// given again replaces its value, unless it is once-only.
ArgsOutcome ParseArgs(const ArgCommand& tool, const std::vector<std::string>& args);

// The whole text as a decimal number within [low, high]: no sign but '-',
// no blanks, no hexadecimal, no fraction for a whole number.
bool ParseWholeText(const std::string& text, std::int32_t low, std::int32_t high, std::int32_t& out);
bool ParseDecimalText(const std::string& text, double low, double high, double& out);

}  // namespace quorvel
