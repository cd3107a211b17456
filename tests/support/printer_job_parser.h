// A syntax checker for printer job streams, written from the published
// grammar of PJL, PCL 5 and HP-GL/2 and independently of the driver's
// writers. It splits a stream into tokens (PJL lines after a UEL, PCL escape
// sequences parameter by parameter with their binary data, text, HP-GL/2
// instructions between "\e%#B" and "\e%#A") and reports what a printer would
// stumble over: groups left open, HP-GL/2 left open at a reset or at the end,
// malformed or out-of-range numbers, binary data running past the stream,
// PCL escapes sent while the printer is in HP-GL/2, unknown HP-GL/2
// instructions.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

namespace kadu_test {

enum class JobTokenKind {
  Uel,        // Universal Exit Language "\e%-12345X"
  Pjl,        // one PJL line ("@PJL ..."), without its line end
  PclEscape,  // a two-character escape: "\eE", "\e9", …
  PclParam,   // one parameter of a parameterised escape: "\e*p120x" and "\e*p340Y" are two
  Text,       // bytes printed in PCL context, control codes included
  Gl2,        // one HP-GL/2 instruction
};

// One item of an HP-GL/2 PE instruction.
struct PeItem {
  char kind = 'p';  // 'p' coordinate pair, ':' pen select, '>' fractional bits
  long long a = 0, b = 0;  // the pair, or the value in a
  bool penUp = false;      // pair after '<'
  bool absolute = false;   // pair after '='
};

struct JobToken {
  JobTokenKind kind = JobTokenKind::Text;
  size_t offset = 0;     // of the token's first byte (for a PclParam: of its value)
  char parameterized = 0;  // PclParam: '&', '*', '(', ')', '%', …; PclEscape: the character after ESC
  char group = 0;          // PclParam: the group character ('p' in "\e*p"), or 0
  std::string value;       // PclParam: the value as written
  char terminator = 0;     // PclParam: the parameter character as written
  std::string data;        // binary data, PJL line, text, HP-GL/2 parameters or label
  std::string mnemonic;    // Gl2: upper case
  std::vector<double> numbers;  // Gl2: numeric parameters
  std::vector<PeItem> pe;       // Gl2 "PE": decoded items

  // PclParam: the parameter closes its escape (upper-case parameter character).
  bool Final() const { return terminator >= '@' && terminator <= '^'; }
  // PclParam: "*pY" style name with the parameter character in upper case.
  std::string Command() const;
};

enum class JobProblemKind {
  BadEscape,              // ESC followed by no valid escape, or cut off
  UnclosedGroup,          // a lower-case parameter not followed by another parameter
  MalformedNumber,
  NumberOutOfRange,       // PCL values beyond ±32767
  TruncatedData,          // binary data longer than the rest of the stream
  DataInOpenGroup,        // a binary-data parameter that does not close its escape
  EscapeInGl2,            // a PCL escape while the printer is in HP-GL/2
  Gl2OpenAtReset,         // "\eE" or a UEL while in HP-GL/2
  Gl2OpenAtEnd,
  Gl2EmptySection,        // "\e%#B" straight followed by "\e%#A"
  Gl2ExitInPcl,           // "\e%#A" while in PCL
  Gl2EnterInGl2,          // "\e%#B" while in HP-GL/2
  Gl2UnknownInstruction,
  Gl2BadParameter,        // a byte no instruction or parameter can start with
  Gl2Unterminated,        // PE or LB not ended before an escape or the end
  PjlUnterminatedLine,
};

struct JobProblem {
  JobProblemKind kind;
  size_t offset;
  std::string detail;
};

struct JobParse {
  std::vector<JobToken> tokens;
  std::vector<JobProblem> problems;

  bool Clean() const { return problems.empty(); }
  // One line per problem, for test messages.
  std::string ProblemText() const;
  // Problems of one kind.
  size_t Count(JobProblemKind kind) const;
};

JobParse ParseJob(const std::string& bytes);

// A compact description of tokens for assertions, separated by spaces:
// "UEL", "PJL(@PJL ENTER LANGUAGE=PCL)", "<E>" for "\eE", "*p120x" and
// "*c44W[44]" (with the data length) for parameters, "'text'" with bytes
// outside printable ASCII as \xNN, HP-GL/2 instructions as written ("PW0.051",
// "LT;" shows as "LT") and PE as "PE[1,-1 32,0]".
std::string DescribeTokens(const std::vector<JobToken>& tokens);
std::string DescribeJob(const std::string& bytes);
const char* ProblemName(JobProblemKind kind);

}  // namespace kadu_test
