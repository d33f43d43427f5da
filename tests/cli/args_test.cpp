// The command-line reader both tools share, in-process.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/args.h"

namespace quorvel {
namespace {

TEST(Args, NumbersAreTheWholeTextInDecimalWithinTheirRange) {
  std::int32_t whole = -1;
  for (const char* bad : {"2.5", "12x", "", " 3", "+3", "0x10", "1e2", "361", "-1", "99999999999"})
    EXPECT_FALSE(ParseWholeText(bad, 0, 360, whole)) << bad;
  EXPECT_EQ(whole, -1);
  ASSERT_TRUE(ParseWholeText("010", 0, 360, whole));
  EXPECT_EQ(whole, 10);  // not octal

  double decimal = -1;
  for (const char* bad : {"abc", "0.4", "50.01", "nan", "inf", "3 ", "0x1p2", "1,5"})
    EXPECT_FALSE(ParseDecimalText(bad, 0.5, 50, decimal)) << bad;
  EXPECT_EQ(decimal, -1);
  ASSERT_TRUE(ParseDecimalText("2.5e1", 0.5, 50, decimal));
  EXPECT_EQ(decimal, 25.0);
}

// A command like the tools' own: a number, a once-only text, a flag, one word.
struct Line {
  std::int32_t loops = 0;
  std::string output;
  bool verbose = false;
  std::vector<std::string> words;
  ArgCommand tool;

  Line() {
    ArgCommand build;
    build.name = build.who = "build";
    build.options = {WholeArg("--loops", loops, 2, 200, "--loops takes 2 to 200"),
                     Once(TextArg("-o", output, "-o takes one output file")), FlagArg("-v", verbose),
                     SaidBy("add", ChoiceArg("--name", [](const std::string& t) { return !t.empty(); }, "bad name"))};
    build.words = &words;
    build.max_words = 1;
    build.unknown = [](const std::string& w) { return "unknown option '" + w + "'"; };
    build.surplus = [](const std::string&) { return std::string("one file"); };
    tool.unknown = [](const std::string& w) { return "unknown command '" + w + "'"; };
    tool.version = true;
    tool.commands = {build};
  }
  ArgsOutcome Parse(const std::vector<std::string>& args) { return ParseArgs(tool, args); }
};

TEST(Args, ValuesFlagsAndWordsReachTheirPlaces) {
  Line line;
  const ArgsOutcome r = line.Parse({"build", "-v", "a.svg", "--loops=12", "-o", "-x.qshp"});
  ASSERT_EQ(r.verdict, ArgsVerdict::kRun) << r.message;
  EXPECT_EQ(r.command, "build");
  EXPECT_EQ(line.loops, 12);
  EXPECT_EQ(line.output, "-x.qshp");  // a value may start with '-'
  EXPECT_TRUE(line.verbose);
  EXPECT_EQ(line.words, std::vector<std::string>{"a.svg"});
  Line again;
  ASSERT_EQ(again.Parse({"build", "--loops", "5", "--loops", "7"}).verdict, ArgsVerdict::kRun);
  EXPECT_EQ(again.loops, 7);
}

TEST(Args, TheFirstFaultOfTheLineIsReportedWithItsOwnText) {
  struct Case {
    std::vector<std::string> args;
    std::string message, who;
  };
  const Case cases[] = {
      {{"build", "--loops", "2.5"}, "--loops takes 2 to 200", "build"},
      {{"build", "--loops", "201", "--bogus"}, "--loops takes 2 to 200", "build"},
      {{"build", "--bogus", "--loops", "201"}, "unknown option '--bogus'", "build"},
      {{"build", "-5"}, "unknown option '-5'", "build"},
      {{"build", "a", "b", "--loops", "1"}, "one file", "build"},
      {{"build", "-o", "a", "-o", "b"}, "-o takes one output file", "build"},
      {{"build", "a", "--loops"}, "--loops takes 2 to 200", "build"},
      {{"build", "--name", ""}, "bad name", "add"},
      {{"frobnicate", "build"}, "unknown command 'frobnicate'", ""},
  };
  for (const Case& c : cases) {
    Line line;
    const ArgsOutcome r = line.Parse(c.args);
    EXPECT_EQ(r.verdict, ArgsVerdict::kRefused) << c.message;
    EXPECT_EQ(r.message, c.message);
    EXPECT_EQ(r.who, c.who) << c.message;
  }
}

TEST(Args, HelpAnywhereIsAnsweredBeforeFaultsAndNamesItsCommand) {
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"build", "--loops", "2.5", "--help"}, {"build", "-h", "--bogus"}, {"build", "a", "b", "--help"}}) {
    Line line;
    const ArgsOutcome r = line.Parse(args);
    EXPECT_EQ(r.verdict, ArgsVerdict::kHelp) << args.back();
    EXPECT_EQ(r.command, "build");
  }
  Line line;
  EXPECT_EQ(line.Parse({"--help", "build"}).command, "");
  EXPECT_EQ(line.Parse({"--version"}).verdict, ArgsVerdict::kVersion);
  // Understood only where the table says so.
  EXPECT_EQ(line.Parse({"build", "--version"}).message, "unknown option '--version'");
}

}  // namespace
}  // namespace quorvel
