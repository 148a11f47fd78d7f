// Reading and checking the headless runner's script. Each line becomes a
// typed record here, and anything the runner could misread (a wait that is
// not a number, a colour with a letter beyond F, a key name it does not
// know, a screenshot name that leaves the output folder) stops the runner
// before the program starts.
#include "control/runner_script.h"

#include <charconv>
#include <filesystem>
#include <fstream>
#include <string_view>
#include <system_error>

#include "control/modes.h"
#include "runtime/decimal.h"
#include "runtime/keys.h"

namespace wimmel::control {

namespace {

// The first word of each kind of line. "mouse" starts two kinds; the word
// alone names Mouse, and "mouse out" is told apart by what follows.
struct LineWord {
  std::string_view word;
  LineKind kind;
};
constexpr LineWord kLineWords[] = {
    {"desktop", LineKind::Desktop},
    {"offer", LineKind::Offer},
    {"log", LineKind::Log},
    {"key", LineKind::Key},
    {"type", LineKind::Type},
    {"mouse", LineKind::Mouse},
    {"press", LineKind::Press},
    {"release", LineKind::Release},
    {"wait", LineKind::Wait},
    {"shot", LineKind::Shot},
    {"expect-pixel", LineKind::ExpectPixel},
    {"expect-ended", LineKind::ExpectEnded},
};

std::string Trim(const std::string& s) {
  const size_t first = s.find_first_not_of(" \t\r");
  if (first == std::string::npos) return "";
  const size_t last = s.find_last_not_of(" \t\r");
  return s.substr(first, last - first + 1);
}

std::vector<std::string> Words(const std::string& s) {
  std::vector<std::string> words;
  size_t i = 0;
  while (true) {
    i = s.find_first_not_of(" \t", i);
    if (i == std::string::npos) break;
    const size_t end = s.find_first_of(" \t", i);
    words.push_back(s.substr(i, end == std::string::npos ? std::string::npos : end - i));
    if (end == std::string::npos) break;
    i = end;
  }
  return words;
}

bool OnlyDigits(const std::string& s) {
  if (s.empty()) return false;
  for (const char c : s) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

// A whole number from 0 to largest, written in decimal digits only, so that
// signs, blanks and hexadecimal prefixes are refused rather than read as
// something else.
bool WholeNumber(const std::string& s, int32_t largest, int32_t& number) {
  if (!OnlyDigits(s)) return false;
  int32_t n = 0;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), n);
  if (ec != std::errc() || end != s.data() + s.size()) return false;
  if (n > largest) return false;
  number = n;
  return true;
}

// A wait in seconds, written as a plain decimal number ("2", "0.25", ".5").
// No exponent, no plus sign, no "inf" or "nan"; negative numbers are left
// to the range check.
bool Seconds(const std::string& s, double& seconds) {
  double d = 0;
  if (!rt::ReadDecimal(s, rt::DecimalForm::kFixed, d)) return false;
  if (!(d >= 0 && d <= kLongestWait)) return false;
  seconds = d;
  return true;
}

bool Colour(const std::string& s, uint32_t& rgb) {
  if (s.size() != 6) return false;
  uint32_t value = 0;
  for (const char c : s) {
    uint32_t digit = 0;
    if (c >= '0' && c <= '9') {
      digit = static_cast<uint32_t>(c - '0');
    } else if (c >= 'A' && c <= 'F') {
      digit = static_cast<uint32_t>(c - 'A' + 10);
    } else if (c >= 'a' && c <= 'f') {
      digit = static_cast<uint32_t>(c - 'a' + 10);
    } else {
      return false;
    }
    value = value << 4 | digit;
  }
  rgb = value;
  return true;
}

bool KeyFromName(const std::string& name, uint32_t& code) {
  using namespace rt::keys;
  static constexpr struct {
    std::string_view name;
    uint32_t code;
  } kNames[] = {
      {"Esc", kEscape},
      {"Enter", kEnter},
      {"Tab", kTab},
      {"Backspace", kBackspace},
      {"F1", QueueCode(kF1)},
      {"Close", QueueCode(kCloseRequest)},
      {"Up", QueueCode(kUp)},
      {"Down", QueueCode(kDown)},
      {"Left", QueueCode(kLeft)},
      {"Right", QueueCode(kRight)},
  };
  for (const auto& n : kNames) {
    if (name == n.name) {
      code = n.code;
      return true;
    }
  }
  if (name.size() == 1) {
    code = static_cast<unsigned char>(name[0]);
    return true;
  }
  int32_t n = 0;
  if (name[0] == '#' && WholeNumber(name.substr(1), 255, n) && n >= 1) {
    code = static_cast<uint32_t>(n);
    return true;
  }
  return false;
}

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

struct Reader {
  std::vector<ScriptLine>& lines;
  std::vector<ScriptError>& errors;
  bool desktopSeen = false;

  void Report(int number, const std::string& text) { errors.push_back({number, text}); }

  // Reads a mode "W H D" into the line; for "offer" only the program's
  // sixteen modes make sense, since it asks the display for no other.
  static bool Mode(ScriptLine& line, const std::vector<std::string>& w, bool offer) {
    if (w.size() != 3 || !WholeNumber(w[0], kLargestSide, line.x) ||
        !WholeNumber(w[1], kLargestSide, line.y) || !WholeNumber(w[2], 32, line.depth)) {
      return false;
    }
    if (offer) return IsModeSize(line.x, line.y) && IsModeDepth(line.depth);
    return line.x >= 1 && line.y >= 1 && (line.depth == 8 || IsModeDepth(line.depth));
  }

  void Read(int number, std::string text) {
    if (text.find('\0') != std::string::npos) {
      Report(number, "the line holds a NUL byte");
      return;
    }
    // "#" starts a comment, except at the start of a key line's argument,
    // where "#N" names a code and "#" the key itself.
    text = Trim(text);
    size_t from = 0;
    if (const size_t end = text.find_first_of(" \t");
        end != std::string::npos && text.compare(0, end, "key") == 0) {
      const size_t argument = text.find_first_not_of(" \t", end);
      if (argument != std::string::npos && text[argument] == '#') from = argument + 1;
    }
    if (const size_t hash = text.find('#', from); hash != std::string::npos) text.erase(hash);
    text = Trim(text);
    if (text.empty()) return;
    const size_t blank = text.find_first_of(" \t");
    const std::string word = text.substr(0, blank);
    const std::string rest = blank == std::string::npos ? "" : Trim(text.substr(blank));
    const std::vector<std::string> w = Words(rest);
    const LineWord* known = nullptr;
    for (const LineWord& entry : kLineWords) {
      if (word == entry.word) known = &entry;
    }
    if (known == nullptr) {
      Report(number, "unknown line \"" + word + "\"");
      return;
    }
    ScriptLine line;
    line.number = number;
    line.kind = known->kind;
    bool good = true;
    std::string why;
    switch (line.kind) {
      case LineKind::Desktop:
        good = Mode(line, w, false);
        why =
            "expected \"desktop W H D\" with W and H from 1 to 16384 and D one of 8, 15, 16, "
            "24, 32";
        if (good && desktopSeen) {
          good = false;
          why = "a second desktop line";
        }
        desktopSeen = true;
        break;
      case LineKind::Offer:
        good = Mode(line, w, true);
        why =
            "expected \"offer W H D\" with one of the sizes 640 480, 800 600, 1024 768, "
            "1280 1024 and D one of 15, 16, 24, 32";
        break;
      case LineKind::Log:
      case LineKind::ExpectEnded:
        good = w.empty();
        why = "\"" + word + "\" takes nothing after it";
        break;
      case LineKind::Key:
        good = w.size() == 1 && KeyFromName(w[0], line.value);
        why = "unknown key \"" + rest + "\"";
        break;
      case LineKind::Type:
        // "type" keeps its text as written, blanks included.
        line.text = blank == std::string::npos ? "" : text.substr(blank + 1);
        good = !line.text.empty();
        why = "\"type\" needs a text";
        break;
      case LineKind::Mouse:
      case LineKind::MouseOut:
        if (w.size() == 1 && w[0] == "out") {
          line.kind = LineKind::MouseOut;
        } else {
          good = w.size() == 2 && WholeNumber(w[0], kLargestSide, line.x) &&
                 WholeNumber(w[1], kLargestSide, line.y);
          why = "expected \"mouse X Y\" with whole numbers from 0 to 16384, or \"mouse out\"";
        }
        break;
      case LineKind::Press:
      case LineKind::Release:
        good = w.size() == 1 && (w[0] == "left" || w[0] == "right");
        if (good) line.value = w[0] == "left" ? 1 : 2;
        why = "expected \"" + word + " left\" or \"" + word + " right\"";
        break;
      case LineKind::Wait:
        good = w.size() == 1 && Seconds(w[0], line.seconds);
        why = "expected \"wait S\" with S a decimal number of seconds from 0 to 3600";
        break;
      case LineKind::Shot:
        // The picture goes into the output folder and nowhere else.
        good = w.size() == 1 && w[0] != "." && w[0] != ".." && w[0].find('/') == std::string::npos;
        if (good) line.text = w[0];
        why = "expected \"shot FILE\" with a plain file name (no \"/\", not \"..\")";
        break;
      case LineKind::ExpectPixel:
        good = w.size() == 3 && WholeNumber(w[0], kLargestSide, line.x) &&
               WholeNumber(w[1], kLargestSide, line.y) && Colour(w[2], line.value);
        why =
            "expected \"expect-pixel X Y RRGGBB\" with whole numbers from 0 to 16384 and six "
            "hex digits";
        break;
    }
    if (good) {
      lines.push_back(line);
    } else {
      Report(number, why);
    }
  }
};

}  // namespace

bool IsSetUpLine(LineKind kind) {
  return kind == LineKind::Desktop || kind == LineKind::Offer || kind == LineKind::Log;
}

const char* ScriptWord(LineKind kind) {
  if (kind == LineKind::MouseOut) kind = LineKind::Mouse;
  for (const LineWord& entry : kLineWords) {
    if (entry.kind == kind) return entry.word.data();
  }
  return "?";
}

bool ReadScript(std::istream& in, std::vector<ScriptLine>& lines,
                std::vector<ScriptError>& errors) {
  const size_t errorsBefore = errors.size();
  Reader reader{lines, errors};
  std::string text;
  for (int number = 1; std::getline(in, text); ++number) {
    // A UTF-8 byte-order mark, which some editors write before the first
    // line, is no part of the script.
    if (number == 1 && text.starts_with(kByteOrderMark)) text.erase(0, kByteOrderMark.size());
    reader.Read(number, text);
  }
  if (in.bad()) errors.push_back({0, "reading failed"});
  return errors.size() == errorsBefore;
}

bool ReadScriptFile(const std::string& path, std::vector<ScriptLine>& lines,
                    std::vector<ScriptError>& errors) {
  // A folder opens as an empty stream on this system; without this check it
  // would pass as a script without expectations.
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) {
    errors.push_back({0, "not a readable file"});
    return false;
  }
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    errors.push_back({0, "cannot be read"});
    return false;
  }
  return ReadScript(file, lines, errors);
}

}  // namespace wimmel::control
