// The music player's calls into the sound library, recorded by a fake.
#include "sound/musik.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "screen_util.h"
#include "shared/settings.h"
#include "sound/fsound.h"

namespace rt = wimmel::rt;

namespace wimmel {
namespace {

using Calls = std::vector<std::string>;

class FakeLibrary final : public SoundLibrary {
 public:
  Calls calls;
  float version = 3.74f;
  uint8_t initResult = 1;
  bool openFails = false;
  std::map<StreamHandle, uint32_t> position;  // closed streams answer 0
  std::map<StreamHandle, uint32_t> length;
  std::map<StreamHandle, std::string> names;
  StreamHandle lastOpened = 0;

  float GetVersion() override {
    calls.push_back("GetVersion");
    return version;
  }
  uint8_t Init(int32_t mixrate, int32_t maxchannels, uint32_t flags) override {
    calls.push_back("Init " + std::to_string(mixrate) + " " + std::to_string(maxchannels) + " " +
                    std::to_string(flags));
    return initResult;
  }
  void Close() override {
    calls.push_back("Close");
    position.clear();
    length.clear();
  }
  uint8_t SetBufferSize(int32_t ms) override {
    calls.push_back("SetBufferSize " + std::to_string(ms));
    return 1;
  }
  StreamHandle Open(const char* name, uint32_t mode, int32_t offset, int32_t len) override {
    calls.push_back(std::string("Open ") + name + " " + std::to_string(mode) + " " +
                    std::to_string(offset) + " " + std::to_string(len));
    if (openFails) return 0;
    const StreamHandle h = next_++;
    position[h] = 0;
    length[h] = 1000;
    names[h] = name;
    lastOpened = h;
    return h;
  }
  int32_t Play(int32_t channel, StreamHandle s) override {
    calls.push_back("Play " + std::to_string(channel) + " " + std::to_string(s));
    if (position.count(s)) position[s] = 1;  // primed, as a real library would be
    return 0;
  }
  uint8_t Stop(StreamHandle s) override {
    calls.push_back("Stop " + std::to_string(s));
    return 1;
  }
  uint8_t CloseStream(StreamHandle s) override {
    calls.push_back("CloseStream " + std::to_string(s));
    position.erase(s);
    length.erase(s);
    return 1;
  }
  uint32_t GetPosition(StreamHandle s) override {
    calls.push_back("GetPosition " + std::to_string(s));
    auto it = position.find(s);
    return it == position.end() ? 0 : it->second;
  }
  uint32_t GetLength(StreamHandle s) override {
    calls.push_back("GetLength " + std::to_string(s));
    auto it = length.find(s);
    return it == length.end() ? 0 : it->second;
  }

  Calls Take() {
    Calls taken;
    taken.swap(calls);
    return taken;
  }

 private:
  StreamHandle next_ = 7;
};

std::string H(StreamHandle h) {
  return std::to_string(h);
}

Calls DueTest(StreamHandle h) {
  return {"GetPosition " + H(h), "GetPosition " + H(h), "GetLength " + H(h)};
}

Calls Concat(std::initializer_list<Calls> parts) {
  Calls all;
  for (const Calls& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

const Calls kInit = {"GetVersion", "Init 44100 32 0", "SetBufferSize 50"};
const std::string kIntro = "musik\\Qum1_I.mp3";

class MusikTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::FreshScreen();
    SetSoundLibrary(&fake_);
  }

  // The player starts up with the intro and `fake_` forgets those calls.
  StreamHandle StartIntro() {
    EXPECT_EQ(Musik("Intro", "", 0), "OK");
    EXPECT_EQ(Settings().MusikStatus, 1);
    fake_.Take();
    return fake_.lastOpened;
  }

  FakeLibrary fake_;
};

TEST_F(MusikTest, NothingAtAllWhileSoundIsNotPossible) {
  Settings().SoundMoeglich = "nein";
  const std::vector<uint8_t> before = test::Snapshot();
  for (const char* word : {"Intro", "MusikAbspielen", "MusikBeenden", "FmodBeenden", "Unsinn"}) {
    EXPECT_EQ(Musik(word, "", 0), "OK") << word;
  }
  EXPECT_TRUE(fake_.calls.empty());
  EXPECT_EQ(Settings().MusikStatus, 0);
  EXPECT_EQ(test::Snapshot(), before);
  // Only "ja" in exactly that spelling switches sound on.
  Settings().SoundMoeglich = "Ja";
  EXPECT_EQ(Musik("Intro", "", 0), "OK");
  EXPECT_TRUE(fake_.calls.empty());
}

TEST_F(MusikTest, FirstCallInitialisesThenPlaysTheIntro) {
  const std::vector<uint8_t> before = test::Snapshot();
  EXPECT_EQ(Musik("Intro", "", 0), "OK");
  const StreamHandle h = fake_.lastOpened;
  EXPECT_EQ(fake_.Take(),
            Concat({kInit, DueTest(0), {"Open " + kIntro + " 131072 0 0", "Play -1 " + H(h)}}));
  EXPECT_EQ(Settings().MusikStatus, 1);
  EXPECT_EQ(test::Snapshot(), before) << "a successful start prints nothing";
}

TEST_F(MusikTest, AnyFirstWordInitialises) {
  EXPECT_EQ(Musik("Unsinn", "x", 5), "OK");
  EXPECT_EQ(fake_.Take(), kInit);
  EXPECT_EQ(Settings().MusikStatus, 1);
  EXPECT_EQ(Musik("intro", "", 0), "OK");  // command words in any case
  EXPECT_EQ(fake_.Take().size(), 5u);
}

// A failed start-up keeps the player off for the rest of the run: it is not
// tried again, whatever is sent.
TEST_F(MusikTest, OldVersionIsRefusedWithThreeLinesOnAClearedScreen) {
  fake_.version = 3.73f;
  test::DrawMarker();
  EXPECT_EQ(Musik("Intro", "", 0), "OK");
  EXPECT_EQ(fake_.Take(), (Calls{"GetVersion", "SetBufferSize 50"}));
  EXPECT_EQ(Settings().MusikStatus, -1);
  const std::vector<uint8_t> shown = test::Snapshot();
  EXPECT_TRUE(test::AnyLitPixel(32, 48)) << "third line missing";
  EXPECT_EQ(shown,
            test::ExpectedScreen(false, {"FEHLER: Fuer die Ausgabe von Sounds oder Musik",
                                         "ist Fmod in der Version 3.74 oder hoeher notwendig!",
                                         "Schalte Sounds und Musik aus!"}));
  Settings().MusikStatus = 0;
  for (const char* word : {"Intro", "MusikAbspielen", "MusikBeenden", "FmodBeenden"}) {
    EXPECT_EQ(Musik(word, "", 0), "OK");
  }
  EXPECT_TRUE(fake_.calls.empty());
}

TEST_F(MusikTest, FailedInitPrintsTwoLinesWithoutClearing) {
  fake_.initResult = 0;
  test::DrawMarker();
  EXPECT_EQ(Musik("Intro", "", 0), "OK");
  EXPECT_EQ(fake_.Take(), kInit);
  EXPECT_EQ(Settings().MusikStatus, -1);
  const std::vector<uint8_t> shown = test::Snapshot();
  EXPECT_EQ(shown, test::ExpectedScreen(true, {"FEHLER: Kann Fmod nicht initialisieren!",
                                               "Schalte Sounds und Musik aus!"}));
  Settings().MusikStatus = 0;
  Musik("Intro", "", 0);
  Musik("FmodBeenden", "", 0);
  EXPECT_TRUE(fake_.calls.empty());
}

TEST_F(MusikTest, OneStreamWhileOnePlays) {
  const StreamHandle h = StartIntro();
  fake_.position[h] = 500;
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(Musik("Intro", "", 0), "OK");
    EXPECT_EQ(Musik("MusikAbspielen", "", 0), "OK");
  }
  Calls expected;
  for (int i = 0; i < 10; ++i) expected = Concat({expected, DueTest(h)});
  EXPECT_EQ(fake_.Take(), expected);
}

TEST_F(MusikTest, EndedOrUnstartedStreamIsReplacedAndClosed) {
  const StreamHandle intro = StartIntro();
  // At its end: the next scene track replaces it.
  fake_.position[intro] = 1000;
  Musik("MusikAbspielen", "", 0);
  const StreamHandle second = fake_.lastOpened;
  Calls calls = fake_.Take();
  ASSERT_EQ(calls.size(), 6u);
  EXPECT_EQ(Calls(calls.begin(), calls.begin() + 4),
            Concat({DueTest(intro), {"CloseStream " + H(intro)}}));
  EXPECT_EQ(calls[5], "Play -1 " + H(second));
  // Beyond its length counts as ended too (unsigned comparison).
  fake_.position[second] = 0xFFFFFFF0u;
  Musik("MusikAbspielen", "", 0);
  const StreamHandle third = fake_.lastOpened;
  EXPECT_NE(third, second);
  EXPECT_EQ(fake_.Take()[3], "CloseStream " + H(second));
  // Position 0 means it never got going: replaced as well.
  fake_.position[third] = 0;
  Musik("Intro", "", 0);
  EXPECT_EQ(fake_.Take(), Concat({DueTest(third),
                                  {"CloseStream " + H(third), "Open " + kIntro + " 131072 0 0",
                                   "Play -1 " + H(fake_.lastOpened)}}));
}

TEST_F(MusikTest, FailedOpenPlaysNothingAndIsRetried) {
  fake_.openFails = true;
  Musik("Intro", "", 0);
  fake_.Take();
  for (int i = 0; i < 2; ++i) {
    Musik("MusikAbspielen", "", 0);
    Calls calls = fake_.Take();
    ASSERT_EQ(calls.size(), 4u);
    EXPECT_EQ(Calls(calls.begin(), calls.begin() + 3), DueTest(0));
    EXPECT_EQ(calls[3].substr(0, 11), "Open musik\\");
  }
}

TEST_F(MusikTest, MusikBeendenStopsAndClosesOnce) {
  const StreamHandle h = StartIntro();
  fake_.position[h] = 300;
  EXPECT_EQ(Musik("MusikBeenden", "", 0), "OK");
  EXPECT_EQ(fake_.Take(), (Calls{"Stop " + H(h), "CloseStream " + H(h)}));
  EXPECT_EQ(Musik("MusikBeenden", "", 0), "OK");
  EXPECT_TRUE(fake_.calls.empty());
  // Afterwards a track starts again.
  Musik("MusikAbspielen", "", 0);
  Calls calls = fake_.Take();
  ASSERT_EQ(calls.size(), 5u);
  EXPECT_EQ(Calls(calls.begin(), calls.begin() + 3), DueTest(0));
  EXPECT_EQ(calls[4], "Play -1 " + H(fake_.lastOpened));
}

TEST_F(MusikTest, FmodBeendenClosesAndTheNextCallStartsAgain) {
  const StreamHandle h = StartIntro();
  Musik("MusikBeenden", "", 0);
  fake_.Take();
  EXPECT_EQ(Musik("FmodBeenden", "", 0), "OK");
  EXPECT_EQ(fake_.Take(), Calls{"Close"});
  EXPECT_EQ(Settings().MusikStatus, -1);
  // The cleared flag makes the next call of any kind start the library
  // again, and the intro plays.
  EXPECT_EQ(Musik("Intro", "", 0), "OK");
  EXPECT_EQ(Settings().MusikStatus, 1);
  EXPECT_EQ(fake_.Take(),
            Concat({kInit,
                    DueTest(0),
                    {"Open " + kIntro + " 131072 0 0", "Play -1 " + H(fake_.lastOpened)}}));
  EXPECT_NE(fake_.lastOpened, h);
}

TEST_F(MusikTest, FmodBeendenKeepsTheStreamHandle) {
  const StreamHandle h = StartIntro();
  fake_.position[h] = 200;
  Musik("FmodBeenden", "", 0);
  fake_.Take();
  // The library forgot the stream on closing, so its old handle answers 0
  // and is replaced after the re-initialisation.
  Musik("Intro", "", 0);
  EXPECT_EQ(fake_.Take(), Concat({kInit,
                                  DueTest(h),
                                  {"CloseStream " + H(h), "Open " + kIntro + " 131072 0 0",
                                   "Play -1 " + H(fake_.lastOpened)}}));
}

TEST_F(MusikTest, TrackPathsFollowTheSeparatorOfEachInitialisation) {
  StartIntro();
  Musik("MusikBeenden", "", 0);
  Musik("FmodBeenden", "", 0);
  Settings().Trenner = "/";
  Musik("MusikAbspielen", "", 0);
  const std::string& name = fake_.names[fake_.lastOpened];
  EXPECT_EQ(name.substr(0, 9), "musik/Qum") << name;
  Musik("MusikBeenden", "", 0);
  Musik("Intro", "", 0);
  EXPECT_EQ(fake_.names[fake_.lastOpened], "musik/Qum1_I.mp3");
}

TEST_F(MusikTest, UnknownWordsChangeNothing) {
  const StreamHandle h = StartIntro();
  fake_.position[h] = 1000;  // ended: any real command would start a track
  for (const char* word : {"", "Unsinn", "INTRO ", " intro", "MusikAbspiele", "FMOD"}) {
    EXPECT_EQ(Musik(word, "Intro", 1), "OK") << word;
  }
  EXPECT_TRUE(fake_.calls.empty());
  EXPECT_EQ(Settings().MusikStatus, 1);
}

// Track n = r * 2 + 1 rounded with halves to even: 1 below 0.25, 2 from 0.25
// to 0.75, 3 above. The draw the player made is read back with Random(0).
TEST_F(MusikTest, TrackChoiceFollowsTheRandomDraw) {
  const StreamHandle intro = StartIntro();
  fake_.position[intro] = 1000;
  const char* const files[] = {"", "musik\\Qum1_E.mp3", "musik\\Qum2_E.mp3", "musik\\Qum3_F.mp3"};
  int counts[4] = {0, 0, 0, 0};
  constexpr int kTracks = 800;
  for (int i = 0; i < kTracks; ++i) {
    Musik("MusikAbspielen", "", 0);
    const double r = rt::Random(0);
    const int expected = r < 0.25 ? 1 : (r <= 0.75 ? 2 : 3);
    ASSERT_EQ(fake_.names[fake_.lastOpened], files[expected]) << "r = " << r;
    ++counts[expected];
    fake_.position[fake_.lastOpened] = 1000;
  }
  // Only ended tracks draw: a playing one leaves the sequence alone.
  fake_.position[fake_.lastOpened] = 10;
  const double last = rt::Random(0);
  Musik("MusikAbspielen", "", 0);
  EXPECT_EQ(rt::Random(0), last);
  EXPECT_NEAR(counts[1], kTracks / 4, kTracks / 10);
  EXPECT_NEAR(counts[2], kTracks / 2, kTracks / 10);
  EXPECT_NEAR(counts[3], kTracks / 4, kTracks / 10);
}

}  // namespace
}  // namespace wimmel
