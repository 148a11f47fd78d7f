#include "shared/dialog.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>

#include "runtime/keys.h"
#include "runtime/runtime.h"
#include "shared/internal.h"
#include "shared/settings.h"
#include "text/text.h"

namespace wimmel {

namespace {

namespace keys = rt::keys;

// The single keys a number entry accepts besides the digits, and the names
// FragTaste gives them.
struct KeyName {
  char key;
  std::string_view name;
};
constexpr KeyName kKeyNames[] = {
    {'-', "-"},
    {'.', "."},
    {',', "."},
    {static_cast<char>(keys::kBackspace), "#"},
    {static_cast<char>(keys::kEscape), "Esc"},
    {static_cast<char>(keys::kEnter), "Return"},
};

// The name of an accepted key, or "" for any other.
std::string NameOfKey(const std::string& key) {
  if (key.size() != 1) return "";
  if (key[0] >= '0' && key[0] <= '9') return key;
  for (const KeyName& entry : kKeyNames) {
    if (key[0] == entry.key) return std::string(entry.name);
  }
  return "";
}

// A filled black box from (x, y) over w by h pixels.
void FillBlack(int32_t x, int32_t y, int32_t w, int32_t h) {
  rt::DrawLine(nullptr, x, y, rt::Clamp32(int64_t{x} + w - 1), rt::Clamp32(int64_t{y} + h - 1),
               0xFF000000, 2);
}

// Latin-1 text as UTF-8, for the terminal.
std::string Utf8(std::string_view latin1) {
  std::string out;
  for (const char c : latin1) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x80) {
      out += c;
    } else {
      out += static_cast<char>(0xC0 | (byte >> 6));
      out += static_cast<char>(0x80 | (byte & 0x3F));
    }
  }
  return out;
}

// Writes the heading and the message on the screen to standard error and
// ends the program with status 1.
[[noreturn]] void EndRunAtMessage(const std::string& heading) {
  std::string text = heading + "\n";
  for (const std::string& line : rt::ConsoleMessage()) text += "  " + Utf8(line) + "\n";
  std::fputs(text.c_str(), stderr);
  std::fflush(stderr);
  rt::EndProgram(1);
}

}  // namespace

std::string WarteAufTaste() {
  const std::string& heading = SharedModule::Get().endRunHeading;
  if (!heading.empty()) EndRunAtMessage(heading);
  return rt::WaitForKey();
}

void EndRunAtMessages(std::string heading) {
  SharedModule::Get().endRunHeading = std::move(heading);
}

std::string FragTaste() {
  for (;;) {
    // A key of a number entry the user began, not the answer to a message.
    const std::string key = rt::WaitForKey();
    std::string name = NameOfKey(key);
    if (!name.empty()) return name;
    const int64_t row = int64_t{Layout().screenHeight} - FontHoehe(Settings().EingabeSchrift);
    DruckeZeileBei("Eingabe nicht zu Akzeptieren! FragTaste war:" + key, rt::Wrap32(row));
  }
}

std::string EingabeZeile(std::string_view prompt) {
  const int32_t font = Settings().EingabeSchrift;
  const int32_t w = FontBreite(font);
  const int32_t h = FontHoehe(font);
  // The box of the prompt and the line, from the prompt's length.
  const int32_t boxX = 20;
  const int32_t boxY = 20;
  const int32_t boxWidth = rt::Clamp32(static_cast<int64_t>(prompt.size()) * w + 10);
  const int32_t boxHeight = rt::Clamp32(int64_t{2} * h + 10);
  std::string line;

  FillBlack(boxX, boxY, boxWidth, boxHeight);
  MaleText(prompt, 25, 25, 0xFFFF0000, font, nullptr);
  for (;;) {
    FillBlack(boxX, rt::Clamp32(int64_t{boxY} + h), boxWidth, rt::Clamp32(int64_t{boxHeight} - h));
    MaleText(line + "_", 25, rt::Clamp32(int64_t{25} + h), 0xFFFF0000, font, nullptr);
    const std::string name = FragTaste();
    if (name == "-") {
      if (line.empty()) line.assign(1, '-');
    } else if (name == "#") {
      if (!line.empty()) line.pop_back();
    } else if (name == ".") {
      if (line.find('.') == std::string::npos) line += ".";
    } else if (name == "Esc") {
      line.clear();
      break;
    } else if (name == "Return") {
      break;
    } else {
      line += name;
    }
  }
  return line;
}

void EndWithMessage(const std::vector<std::string>& lines) {
  for (const std::string& line : lines) rt::PrintText(line, true);
  WarteAufTaste();
  rt::EndProgram(0);
}

bool LogIsOn() {
  return Settings().ProtokollAn == 1;
}

void Protokoll(std::string_view text) {
  const int32_t number = rt::FreeFileNumber();
  // Number 0 would print on the screen instead of the file; with every
  // number in use the line is lost, like any other failure of the log.
  if (number == 0) return;
  if (rt::OpenFile("wimmelprt.txt", rt::FileMode::Append, number) != 0) {
    rt::CloseFile(number);
    return;
  }
  rt::PrintLine(number, text);
  rt::CloseFile(number);
}

void GrafikTreiberInfo() {
  const rt::ScreenInfo info = rt::GetScreenInfo();
  shared::DesktopRecord& desktop = SharedModule::Get().desktop;
  desktop.width = info.width;
  desktop.height = info.height;
  desktop.depth = info.depth;
  rt::LocateText(16, 10);
  rt::PrintText(rt::IntToText(info.width) + "x" + rt::IntToText(info.height) + "x" +
                    rt::IntToText(info.depth),
                false);
  rt::PrintText(" Grafik-Treiber:" + info.driver, true);
}

void DesktopModusSetzen() {
  const shared::DesktopRecord& desktop = SharedModule::Get().desktop;
  rt::SetScreenSize(desktop.width, desktop.height, desktop.depth);
}

}  // namespace wimmel
