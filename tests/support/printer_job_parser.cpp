// Grammar notes, from the published language references:
// - PCL: ESC followed by a character 48-126 is a two-character escape. ESC
//   followed by a parameterised character 33-47, an optional group character
//   96-126, then one or more parameters: a value ([+-] digits [. digits]) and
//   a parameter character, 96-126 (lower case, more parameters follow) or
//   64-94 (upper case, the escape ends). Some parameters announce binary data
//   of the value's byte count right after their parameter character.
// - PJL: after a UEL ("\e%-12345X"), lines starting "@PJL" and ending with LF;
//   "@PJL ENTER LANGUAGE=…" hands the rest to that language.
// - HP-GL/2: entered with "\e%#B", left with "\e%#A"; instructions are two
//   letters and parameters separated by commas or spaces, ended by ';' or the
//   next instruction. PE carries base-64 (or base-32) encoded numbers up to
//   ';', LB a label up to the label terminator (ETX unless DT changed it).
#include "tests/support/printer_job_parser.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <set>
#include <sstream>

namespace kadu_test {

namespace {

constexpr char kEsc = 0x1B;

bool IsUpperParam(unsigned char c) { return c >= 64 && c <= 94; }
bool IsLowerParam(unsigned char c) { return c >= 96 && c <= 126; }
bool IsParameterized(unsigned char c) { return c >= 33 && c <= 47; }
bool IsValueChar(unsigned char c) { return std::isdigit(c) || c == '+' || c == '-' || c == '.'; }

// Parameters followed by binary data of the value's byte count.
struct DataCommand {
  char parameterized, group, terminator;
};
constexpr DataCommand kDataCommands[] = {
    {'*', 'b', 'W'},  // transfer raster data by row
    {'*', 'b', 'V'},  // transfer raster data by plane
    {'(', 's', 'W'},  // character descriptor and data
    {')', 's', 'W'},  // font header
    {'(', 'f', 'W'},  // symbol set definition
    {'*', 'c', 'W'},  // user-defined pattern
    {'&', 'p', 'X'},  // transparent print data
    {'*', 'v', 'W'},  // configure image data
    {'&', 'n', 'W'},  // alphanumeric ID (media type by name)
    {'*', 'o', 'W'},  // driver configuration
    {'*', 'm', 'W'},  // download dither matrix
    {'*', 'l', 'W'},  // colour lookup tables
    {'*', 'i', 'W'},  // viewing illuminant
    {'&', 'b', 'W'},  // AppleTalk configuration
};

bool CarriesData(char parameterized, char group, char terminator) {
  char upper = char(std::toupper(static_cast<unsigned char>(terminator)));
  for (const DataCommand& d : kDataCommands) {
    if (d.parameterized == parameterized && d.group == group && d.terminator == upper) return true;
  }
  return false;
}

// The HP-GL/2 instructions of the PCL 5 printer language, its palette and
// technical graphics extensions.
const std::set<std::string>& Gl2Mnemonics() {
  static const std::set<std::string> kSet = {
      "AA", "AC", "AD", "AR", "AT", "BL", "BP", "BR", "BZ", "CF", "CI", "CO", "CP", "CR", "CT", "DF", "DI", "DL",
      "DR", "DT", "DV", "EA", "EC", "EP", "ER", "ES", "EW", "FI", "FN", "FP", "FR", "FT", "IN", "IP", "IR", "IW",
      "LA", "LB", "LM", "LO", "LT", "MC", "MG", "MT", "NP", "NR", "OE", "OH", "OI", "OP", "OS", "PA", "PC", "PD",
      "PE", "PG", "PM", "PP", "PR", "PS", "PU", "PW", "QL", "RA", "RF", "RO", "RP", "RR", "RT", "SA", "SB", "SC",
      "SD", "SI", "SL", "SM", "SP", "SR", "SS", "ST", "SV", "TD", "TR", "UL", "VS", "WG", "WU",
  };
  return kSet;
}

// Checks one number as written; returns false when it is not a number.
bool WellFormedNumber(const std::string& v) {
  size_t i = 0;
  if (i < v.size() && (v[i] == '+' || v[i] == '-')) ++i;
  size_t digits = 0, points = 0;
  for (; i < v.size(); ++i) {
    if (std::isdigit(static_cast<unsigned char>(v[i]))) {
      ++digits;
    } else if (v[i] == '.') {
      if (++points > 1) return false;
    } else {
      return false;
    }
  }
  return digits > 0;
}

enum class Mode { Pcl, Pjl, Gl2 };

struct Parser {
  const std::string& s;
  size_t p = 0;
  Mode mode = Mode::Pcl;
  JobParse out;
  char labelTerminator = 0x03;
  size_t gl2Instructions = 0;  // in the current HP-GL/2 section

  explicit Parser(const std::string& bytes) : s(bytes) {}

  unsigned char At(size_t i) const { return static_cast<unsigned char>(s[i]); }
  void Problem(JobProblemKind kind, size_t offset, std::string detail) {
    out.problems.push_back({kind, offset, std::move(detail)});
  }
  JobToken& Add(JobTokenKind kind, size_t offset) {
    out.tokens.emplace_back();
    out.tokens.back().kind = kind;
    out.tokens.back().offset = offset;
    return out.tokens.back();
  }

  void Run() {
    while (p < s.size()) {
      if (At(p) == kEsc) {
        Escape();
      } else if (mode == Mode::Gl2) {
        Gl2Instruction();
      } else if (mode == Mode::Pjl && StartsPjl()) {
        PjlLine();
      } else {
        // Anything else after PJL hands the printer to its default language.
        mode = mode == Mode::Pjl ? Mode::Pcl : mode;
        Text();
      }
    }
    if (mode == Mode::Gl2) Problem(JobProblemKind::Gl2OpenAtEnd, s.size(), "HP-GL/2 not left at the end");
  }

  // ---- PJL ----
  bool StartsPjl() const {
    if (s.size() - p < 4) return false;
    for (int i = 0; i < 4; ++i) {
      if (std::toupper(At(p + i)) != "@PJL"[i]) return false;
    }
    return true;
  }

  void PjlLine() {
    size_t start = p;
    size_t end = s.find('\n', p);
    std::string line;
    if (end == std::string::npos) {
      Problem(JobProblemKind::PjlUnterminatedLine, start, "PJL line without line feed");
      line = s.substr(p);
      p = s.size();
    } else {
      line = s.substr(p, end - p);
      p = end + 1;
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();
    Add(JobTokenKind::Pjl, start).data = line;
    std::string upper;
    for (char c : line) {
      if (c != ' ' && c != '\t') upper += char(std::toupper(static_cast<unsigned char>(c)));
    }
    if (upper.rfind("@PJLENTERLANGUAGE=", 0) == 0) mode = Mode::Pcl;
  }

  // ---- PCL ----
  void Text() {
    size_t start = p;
    while (p < s.size() && At(p) != kEsc) ++p;
    Add(JobTokenKind::Text, start).data = s.substr(start, p - start);
  }

  void Escape() {
    size_t start = p;
    if (p + 1 >= s.size()) {
      Problem(JobProblemKind::BadEscape, start, "escape at the end of the stream");
      p = s.size();
      return;
    }
    unsigned char c = At(p + 1);
    // Any escape but a UEL ends PJL: the printer takes the data as PCL.
    if (mode == Mode::Pjl && s.compare(p, 9, "\x1B%-12345X") != 0) mode = Mode::Pcl;
    if (IsParameterized(c)) {
      Parameterised();
    } else if (c >= 48 && c <= 126) {
      p += 2;
      if (mode == Mode::Gl2 && c != 'E') Problem(JobProblemKind::EscapeInGl2, start, std::string("ESC ") + char(c));
      Add(JobTokenKind::PclEscape, start).parameterized = char(c);
      if (c == 'E') PrinterReset(start, "\\eE");
    } else {
      Problem(JobProblemKind::BadEscape, start, "ESC followed by byte " + std::to_string(c));
      p += 1;
    }
  }

  void PrinterReset(size_t offset, const char* what) {
    if (mode == Mode::Gl2) Problem(JobProblemKind::Gl2OpenAtReset, offset, std::string("HP-GL/2 open at ") + what);
    mode = Mode::Pcl;
  }

  // Reads a value; returns it as written.
  std::string Value() {
    size_t start = p;
    while (p < s.size() && IsValueChar(At(p))) ++p;
    return s.substr(start, p - start);
  }

  void CheckValue(const JobToken& t) {
    if (t.value.empty()) return;  // an omitted value counts as 0
    if (!WellFormedNumber(t.value)) {
      Problem(JobProblemKind::MalformedNumber, t.offset, "value '" + t.value + "' in " + t.Command());
    } else if (std::fabs(std::strtod(t.value.c_str(), nullptr)) > 32767.9999 &&
               !(t.value == "32768" && (t.Command() == "*rA" || t.Command() == "*rC"))) {
      // "\e*r32768A" and "\e*r32768C" start and end the family's fixed-block
      // (method 131) raster pages; every other value keeps the language's range.
      Problem(JobProblemKind::NumberOutOfRange, t.offset, "value " + t.value + " in " + t.Command());
    }
  }

  void Parameterised() {
    size_t start = p;
    char parameterized = s[p + 1];
    p += 2;
    char group = 0;
    if (p < s.size() && IsLowerParam(At(p))) group = s[p++];
    bool first = true;
    for (;;) {
      size_t valueAt = p;
      std::string value = Value();
      if (p >= s.size() || !(IsUpperParam(At(p)) || IsLowerParam(At(p)))) {
        if (first) {
          Problem(JobProblemKind::BadEscape, start, "escape without a parameter character");
        } else {
          Problem(JobProblemKind::UnclosedGroup, valueAt, std::string("group \\e") + parameterized +
                                                             (group ? std::string(1, group) : "") + " left open");
        }
        return;
      }
      JobToken& t = Add(JobTokenKind::PclParam, valueAt);
      t.parameterized = parameterized;
      t.group = group;
      t.value = value;
      t.terminator = s[p++];
      CheckValue(t);
      if (t.Command() == "%X" && t.value == "-12345") {
        t.kind = JobTokenKind::Uel;
        PrinterReset(start, "UEL");
        mode = Mode::Pjl;
        return;
      }
      if (mode == Mode::Gl2 && !(parameterized == '%' && group == 0)) {
        Problem(JobProblemKind::EscapeInGl2, start, "\\e" + t.Command());
      }
      if (CarriesData(parameterized, group, t.terminator)) Data(t);
      if (parameterized == '%' && group == 0) Context(t);
      if (t.Final()) return;
      first = false;
    }
  }

  // The binary data of a parameter; `t` is the last token.
  void Data(JobToken& t) {
    long count = std::strtol(t.value.c_str(), nullptr, 10);
    if (!WellFormedNumber(t.value) || t.value.find('.') != std::string::npos || count < 0) {
      Problem(JobProblemKind::MalformedNumber, t.offset, "byte count '" + t.value + "' in " + t.Command());
      return;
    }
    if (!t.Final()) Problem(JobProblemKind::DataInOpenGroup, t.offset, t.Command() + " does not close its escape");
    size_t available = s.size() - p;
    if (size_t(count) > available) {
      Problem(JobProblemKind::TruncatedData, t.offset,
              t.Command() + " announces " + std::to_string(count) + " bytes, " + std::to_string(available) + " left");
      count = long(available);
    }
    t.data = s.substr(p, size_t(count));
    p += size_t(count);
  }

  // "\e%#B" enters HP-GL/2, "\e%#A" leaves it.
  void Context(const JobToken& t) {
    char c = char(std::toupper(static_cast<unsigned char>(t.terminator)));
    if (c == 'B') {
      if (mode == Mode::Gl2) Problem(JobProblemKind::Gl2EnterInGl2, t.offset, "HP-GL/2 entered twice");
      mode = Mode::Gl2;
      gl2Instructions = 0;
    } else if (c == 'A') {
      if (mode != Mode::Gl2) {
        Problem(JobProblemKind::Gl2ExitInPcl, t.offset, "HP-GL/2 left while in PCL");
      } else if (gl2Instructions == 0) {
        Problem(JobProblemKind::Gl2EmptySection, t.offset, "HP-GL/2 entered and left with nothing between");
      }
      mode = Mode::Pcl;
    }
  }

  // ---- HP-GL/2 ----
  static bool IsLetter(unsigned char c) { return std::isalpha(c) != 0; }
  static bool IsSeparator(unsigned char c) { return c == ';' || c == ',' || c == ' ' || c < 32 || c == 127; }

  void Gl2Instruction() {
    unsigned char c = At(p);
    if (IsSeparator(c) && c != kEsc) {
      ++p;
      return;
    }
    size_t start = p;
    if (!IsLetter(c) || p + 1 >= s.size() || !IsLetter(At(p + 1))) {
      Problem(JobProblemKind::Gl2BadParameter, start, "unexpected byte " + std::to_string(c) + " in HP-GL/2");
      ++p;
      return;
    }
    JobToken& t = Add(JobTokenKind::Gl2, start);
    t.mnemonic = {char(std::toupper(c)), char(std::toupper(At(p + 1)))};
    p += 2;
    ++gl2Instructions;
    if (!Gl2Mnemonics().count(t.mnemonic)) {
      Problem(JobProblemKind::Gl2UnknownInstruction, start, "unknown HP-GL/2 instruction " + t.mnemonic);
    }
    size_t paramsAt = p;
    if (t.mnemonic == "PE") {
      PolylineEncoded(t);
    } else if (t.mnemonic == "LB" || t.mnemonic == "BL") {
      Label(t);
    } else if (t.mnemonic == "DT") {
      LabelTerminator(t);
    } else if (t.mnemonic == "SM") {
      if (p < s.size() && At(p) != ';' && At(p) != kEsc) ++p;
      if (p < s.size() && At(p) == ';') ++p;
    } else if (t.mnemonic == "CO") {
      Comment();
    } else {
      Numbers(t);
    }
    if (t.data.empty()) t.data = s.substr(paramsAt, p - paramsAt);
  }

  void Numbers(JobToken& t) {
    for (;;) {
      while (p < s.size() && (At(p) == ',' || At(p) == ' ')) ++p;
      if (p >= s.size() || At(p) == kEsc || IsLetter(At(p))) return;
      if (At(p) == ';') {
        ++p;
        return;
      }
      if (!IsValueChar(At(p))) {
        Problem(JobProblemKind::Gl2BadParameter, p, "byte " + std::to_string(At(p)) + " in " + t.mnemonic);
        ++p;
        continue;
      }
      size_t start = p;
      if (At(p) == '+' || At(p) == '-') ++p;
      while (p < s.size() && (std::isdigit(At(p)) || At(p) == '.')) ++p;
      std::string number = s.substr(start, p - start);
      if (!WellFormedNumber(number)) {
        Problem(JobProblemKind::MalformedNumber, start, "number '" + number + "' in " + t.mnemonic);
      }
      t.numbers.push_back(std::strtod(number.c_str(), nullptr));
    }
  }

  // PE: flags and encoded numbers up to ';'.
  void PolylineEncoded(JobToken& t) {
    bool sevenBit = false;
    char pending = 0;  // ':' or '>' waiting for its value
    bool penUp = false, absolute = false;
    std::vector<long long> values;
    unsigned long long n = 0, scale = 1;
    for (; p < s.size(); ++p) {
      unsigned char c = At(p);
      if (c == ';') {
        ++p;
        if (!values.empty() || pending) Problem(JobProblemKind::Gl2BadParameter, p - 1, "PE ends inside a pair");
        return;
      }
      if (c == kEsc) break;
      unsigned char low = c & 0x7F;
      bool terminator = sevenBit ? (low >= 95 && low <= 126) : (c >= 191 && c <= 254);
      bool digit = sevenBit ? (low >= 63 && low <= 94) : (c >= 63 && c <= 126);
      if (!terminator && !digit) {
        if (low == ':' || low == '>' || low == '<' || low == '=' || low == '7') {
          if (low == '7') sevenBit = true;
          if (low == ':' || low == '>') pending = char(low);
          if (low == '<') penUp = true;
          if (low == '=') absolute = true;
        }
        continue;  // spaces, control codes and the like are ignored
      }
      unsigned long long d = terminator ? (sevenBit ? low - 95 : c - 191) : (sevenBit ? low - 63 : c - 63);
      n += d * scale;
      scale *= sevenBit ? 32 : 64;
      if (!terminator) continue;
      long long v = (n & 1) ? -(long long)(n >> 1) : (long long)(n >> 1);
      n = 0;
      scale = 1;
      if (pending) {
        PeItem item;
        item.kind = pending;
        item.a = v;
        t.pe.push_back(item);
        pending = 0;
        continue;
      }
      values.push_back(v);
      if (values.size() == 2) {
        PeItem item;
        item.a = values[0];
        item.b = values[1];
        item.penUp = penUp;
        item.absolute = absolute;
        t.pe.push_back(item);
        values.clear();
        penUp = absolute = false;
      }
    }
    Problem(JobProblemKind::Gl2Unterminated, t.offset, "PE not ended with ';'");
  }

  void Label(JobToken& t) {
    size_t start = p;
    while (p < s.size() && s[p] != labelTerminator && At(p) != kEsc) ++p;
    t.data = s.substr(start, p - start);
    if (p < s.size() && s[p] == labelTerminator) {
      ++p;
    } else {
      Problem(JobProblemKind::Gl2Unterminated, t.offset, "label without its terminator");
    }
  }

  void LabelTerminator(JobToken& t) {
    if (p < s.size() && At(p) == ';') {
      labelTerminator = 0x03;
      ++p;
      return;
    }
    if (p < s.size() && At(p) != kEsc) labelTerminator = s[p++];
    Numbers(t);  // the optional mode
  }

  void Comment() {
    while (p < s.size() && At(p) == ' ') ++p;
    if (p < s.size() && At(p) == '"') {
      size_t end = s.find('"', p + 1);
      p = end == std::string::npos ? s.size() : end + 1;
    }
  }
};

std::string Printable(const std::string& bytes) {
  std::string out;
  for (unsigned char c : bytes) {
    if (c >= 32 && c < 127 && c != '\'' && c != '\\') {
      out += char(c);
    } else {
      static const char kHex[] = "0123456789ABCDEF";
      out += "\\x";
      out += kHex[c >> 4];
      out += kHex[c & 0xF];
    }
  }
  return out;
}

std::string DescribePe(const JobToken& t) {
  std::string out = "PE[";
  for (size_t i = 0; i < t.pe.size(); ++i) {
    const PeItem& e = t.pe[i];
    if (i) out += ' ';
    if (e.kind != 'p') {
      out += e.kind + std::to_string(e.a);
      continue;
    }
    if (e.penUp) out += '<';
    if (e.absolute) out += '=';
    out += std::to_string(e.a) + "," + std::to_string(e.b);
  }
  return out + "]";
}

}  // namespace

std::string JobToken::Command() const {
  std::string c(1, parameterized);
  if (group) c += group;
  c += char(std::toupper(static_cast<unsigned char>(terminator)));
  return c;
}

std::string JobParse::ProblemText() const {
  std::ostringstream o;
  for (const JobProblem& p : problems) o << "offset " << p.offset << ": " << ProblemName(p.kind) << ": " << p.detail << "\n";
  return o.str();
}

size_t JobParse::Count(JobProblemKind kind) const {
  size_t n = 0;
  for (const JobProblem& p : problems) n += p.kind == kind;
  return n;
}

JobParse ParseJob(const std::string& bytes) {
  Parser parser(bytes);
  parser.Run();
  return std::move(parser.out);
}

std::string DescribeTokens(const std::vector<JobToken>& tokens) {
  std::string out;
  for (const JobToken& t : tokens) {
    if (!out.empty()) out += ' ';
    switch (t.kind) {
      case JobTokenKind::Uel: out += "UEL"; break;
      case JobTokenKind::Pjl: out += "PJL(" + Printable(t.data) + ")"; break;
      case JobTokenKind::PclEscape: out += std::string("<") + t.parameterized + ">"; break;
      case JobTokenKind::PclParam:
        out += t.parameterized;
        if (t.group) out += t.group;
        out += t.value + t.terminator;
        if (CarriesData(t.parameterized, t.group, t.terminator)) out += "[" + std::to_string(t.data.size()) + "]";
        break;
      case JobTokenKind::Text: out += "'" + Printable(t.data) + "'"; break;
      case JobTokenKind::Gl2:
        if (t.mnemonic == "PE") {
          out += DescribePe(t);
        } else {
          std::string params = t.data;
          if (!params.empty() && params.back() == ';') params.pop_back();
          out += t.mnemonic + Printable(params);
        }
        break;
    }
  }
  return out;
}

std::string DescribeJob(const std::string& bytes) { return DescribeTokens(ParseJob(bytes).tokens); }

const char* ProblemName(JobProblemKind kind) {
  switch (kind) {
    case JobProblemKind::BadEscape: return "bad escape";
    case JobProblemKind::UnclosedGroup: return "unclosed group";
    case JobProblemKind::MalformedNumber: return "malformed number";
    case JobProblemKind::NumberOutOfRange: return "number out of range";
    case JobProblemKind::TruncatedData: return "truncated data";
    case JobProblemKind::DataInOpenGroup: return "data in open group";
    case JobProblemKind::EscapeInGl2: return "PCL escape in HP-GL/2";
    case JobProblemKind::Gl2OpenAtReset: return "HP-GL/2 open at reset";
    case JobProblemKind::Gl2OpenAtEnd: return "HP-GL/2 open at end";
    case JobProblemKind::Gl2EmptySection: return "empty HP-GL/2 section";
    case JobProblemKind::Gl2ExitInPcl: return "HP-GL/2 left while in PCL";
    case JobProblemKind::Gl2EnterInGl2: return "HP-GL/2 entered twice";
    case JobProblemKind::Gl2UnknownInstruction: return "unknown HP-GL/2 instruction";
    case JobProblemKind::Gl2BadParameter: return "bad HP-GL/2 parameter";
    case JobProblemKind::Gl2Unterminated: return "unterminated HP-GL/2 instruction";
    case JobProblemKind::PjlUnterminatedLine: return "unterminated PJL line";
  }
  return "?";
}

}  // namespace kadu_test
