#include "cli/args.h"

#include <algorithm>
#include <charconv>
#include <deque>
#include <exception>
#include <utility>

#include <CLI/CLI.hpp>

namespace quorvel {

bool ParseWholeText(const std::string& text, std::int32_t low, std::int32_t high, std::int32_t& out) {
  std::int32_t value = 0;
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, value);
  if (ec != std::errc() || ptr != end || value < low || value > high) return false;
  out = value;
  return true;
}

bool ParseDecimalText(const std::string& text, double low, double high, double& out) {
  double value = 0;
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, value);
  // NaN fails the range test as it is written.
  if (ec != std::errc() || ptr != end || !(value >= low && value <= high)) return false;
  out = value;
  return true;
}

ArgOption TextArg(std::string names, std::string& out, std::string refusal) {
  return ChoiceArg(std::move(names), [&out](const std::string& text) { out = text; return true; },
                   std::move(refusal));
}

ArgOption WholeArg(std::string names, std::int32_t& out, std::int32_t low, std::int32_t high, std::string refusal) {
  return ChoiceArg(std::move(names), [&out, low, high](const std::string& text) {
    return ParseWholeText(text, low, high, out);
  }, std::move(refusal));
}

ArgOption DecimalArg(std::string names, double& out, double low, double high, std::string refusal) {
  return ChoiceArg(std::move(names), [&out, low, high](const std::string& text) {
    return ParseDecimalText(text, low, high, out);
  }, std::move(refusal));
}

ArgOption ChoiceArg(std::string names, ArgStore store, std::string refusal) {
  ArgOption option;
  option.names = std::move(names);
  option.store = std::move(store);
  option.refusal = std::move(refusal);
  return option;
}

ArgOption FlagArg(std::string names, bool& out) {
  ArgOption option;
  option.names = std::move(names);
  option.set = [&out] { out = true; };
  return option;
}

ArgOption Once(ArgOption option) {
  option.once = true;
  return option;
}

ArgOption SaidBy(std::string who, ArgOption option) {
  option.who = std::move(who);
  return option;
}

namespace {

struct Refusal {
  std::string message, who;
};

bool OptionLike(const std::string& word) { return word.size() > 1 && word[0] == '-'; }

// What one command's part of the line held, as CLI11 read it. The option
// callbacks run as each option is read (trigger_on_parse), so the first bad
// value is the first in the line; CLI11 sets unknown words aside without a
// callback, so the count of those set aside tells which came first.
struct CommandState {
  const ArgCommand* table = nullptr;
  CLI::App* app = nullptr;
  std::vector<CLI::Option*> options;  // CLI11's, by table index
  std::vector<bool> seen;
  bool help = false;
  bool version = false;
  bool refused = false;
  Refusal first;
  std::size_t aside_before = 0;

  std::string WhoOf(const ArgOption& o) const { return o.who.empty() ? table->who : o.who; }

  void Take(std::size_t i, const std::string& text) {
    const ArgOption& o = table->options[i];
    const bool again = seen[i];
    seen[i] = true;
    if (refused) return;
    if ((o.once && again) || !o.store(text)) {
      refused = true;
      first = {o.refusal, WhoOf(o)};
      aside_before = app->remaining_size();
    }
  }

  Refusal Stray(const std::string& word) const {
    const ArgMessage& say = OptionLike(word) || !table->surplus ? table->unknown : table->surplus;
    return {say ? say(word) : "unexpected argument " + word, table->who};
  }

  Refusal Missing(const std::string& word) const {
    const std::string name = word.substr(0, word.find('='));
    for (std::size_t i = 0; i < options.size(); ++i)
      if (options[i] == app->get_option_no_throw(name))
        return {table->missing ? table->missing(name) : table->options[i].refusal, WhoOf(table->options[i])};
    return Stray(word);
  }
};

void Declare(CLI::App& app, const ArgCommand& table, std::deque<CommandState>& states) {
  CommandState& state = states.emplace_back();
  CommandState* s = &state;
  s->table = &table;
  s->app = &app;
  s->seen.assign(table.options.size(), false);
  // The tools print their own usage texts; CLI11 only reads the line.
  app.set_help_flag();
  app.allow_extras();
  app.add_flag_callback("-h,--help", [s] { s->help = true; })->trigger_on_parse();
  if (table.version) app.add_flag_callback("--version", [s] { s->version = true; })->trigger_on_parse();
  for (std::size_t i = 0; i < table.options.size(); ++i) {
    const ArgOption& o = table.options[i];
    CLI::Option* option =
        o.set ? app.add_flag_callback(o.names, [s, i] { s->seen[i] = true; s->table->options[i].set(); })
              : app.add_option_function<std::string>(o.names, [s, i](const std::string& text) { s->Take(i, text); });
    s->options.push_back(option->trigger_on_parse());
  }
  if (table.words) {
    CLI::Option* words = app.add_option("words", *table.words);
    if (table.max_words > 0) words->expected(static_cast<int>(table.max_words))->allow_extra_args(false);
  }
  if (!table.commands.empty()) {
    app.require_subcommand(0, 1);
    for (const ArgCommand& command : table.commands) Declare(*app.add_subcommand(command.name), command, states);
  }
}

ArgsOutcome Refused(const Refusal& r, const std::string& command) {
  return {ArgsVerdict::kRefused, command, r.message, r.who};
}

}  // namespace

ArgsOutcome ParseArgs(const ArgCommand& tool, const std::vector<std::string>& args) {
  try {
    CLI::App app;
    std::deque<CommandState> states;
    Declare(app, tool, states);
    // CLI11 takes the words last first and pops them as it reads.
    std::vector<std::string> pending(args.rbegin(), args.rend());
    bool thrown = false;
    bool short_of_value = false;
    std::string thrown_at;
    try {
      app.parse(pending);
    } catch (const CLI::ParseError& e) {
      thrown = true;
      short_of_value = dynamic_cast<const CLI::ArgumentMismatch*>(&e) != nullptr;
      const std::size_t read = args.size() - std::min(pending.size(), args.size());
      if (read > 0) thrown_at = args[read - 1];
    }

    for (const CommandState& s : states)
      if (s.help) return {ArgsVerdict::kHelp, s.table->name, "", ""};
    for (const CommandState& s : states)
      if (s.version) return {ArgsVerdict::kVersion, s.table->name, "", ""};

    const CommandState& top = states.front();
    const std::vector<std::string> top_aside = app.remaining();
    if (!top_aside.empty()) return Refused(top.Stray(top_aside.front()), "");

    const CommandState* chosen = &top;
    for (const CommandState& s : states)
      if (s.app != &app && s.app->parsed()) chosen = &s;
    const std::string command = chosen == &top ? "" : chosen->table->name;
    const std::vector<std::string> aside = chosen->app->remaining();
    if (chosen->refused && (aside.empty() || chosen->aside_before == 0)) return Refused(chosen->first, command);
    if (!aside.empty()) return Refused(chosen->Stray(aside.front()), command);
    if (thrown) return Refused(short_of_value ? chosen->Missing(thrown_at) : chosen->Stray(thrown_at), command);
    // CLI11 takes "-5" for a plain word when no option is named so.
    if (chosen->table->words)
      for (const std::string& word : *chosen->table->words)
        if (OptionLike(word)) return Refused(chosen->Stray(word), command);
    return {ArgsVerdict::kRun, command, "", ""};
  } catch (const std::exception& e) {
    // A table CLI11 cannot take: the program's own fault.
    return {ArgsVerdict::kRefused, "", std::string("cannot read the command line: ") + e.what(), tool.who};
  }
}

}  // namespace quorvel
