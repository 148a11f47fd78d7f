// The owning image handle: one owner, freed when the owner goes, also when
// the end of the program unwinds through a key wait.
#include "runtime/owned_image.h"

#include <gtest/gtest.h>

#include <type_traits>
#include <utility>

#include "runtime/display.h"
#include "runtime/runtime.h"

namespace rt = wimmel::rt;

namespace {

// Drawing calls take a named handle, never a temporary one.
static_assert(std::is_convertible_v<const rt::OwnedImage&, rt::Image>);
static_assert(!std::is_convertible_v<rt::OwnedImage&&, rt::Image>);
static_assert(!std::is_copy_constructible_v<rt::OwnedImage>);
static_assert(!std::is_copy_assignable_v<rt::OwnedImage>);

TEST(OwnedImageTest, AnImageHeldAcrossAKeyWaitGoesWhenTheProgramEndsThere) {
  // As the headless runner does when its script is done: the next key poll
  // ends the program.
  rt::HeadlessConfig config;
  config.onPoll = [] { throw rt::ProgramEnd{0}; };
  rt::headless::Install(std::move(config));
  ASSERT_EQ(rt::SetScreenMode(18, 32, 0, 1, 0), 0);
  const int64_t before = rt::LiveImages();
  bool ended = false;
  try {
    const rt::OwnedImage picture(rt::CreateImage(64, 32, 0));
    ASSERT_TRUE(picture);
    EXPECT_EQ(rt::LiveImages(), before + 1);
    rt::WaitForKey();
    ADD_FAILURE() << "the key wait returned";
  } catch (const rt::ProgramEnd&) {
    ended = true;
  }
  EXPECT_TRUE(ended);
  EXPECT_EQ(rt::LiveImages(), before) << "the picture leaked";
}

TEST(OwnedImageTest, MovesResetsAndReleasesKeepExactlyOneOwner) {
  rt::headless::Install();
  ASSERT_EQ(rt::SetScreenMode(18, 32, 0, 1, 0), 0);
  const int64_t before = rt::LiveImages();
  {
    rt::OwnedImage a(rt::CreateImage(4, 4, 0));
    const rt::Image first = a.get();
    rt::OwnedImage b(std::move(a));
    EXPECT_FALSE(a);  // NOLINT(bugprone-use-after-move): the source is empty
    EXPECT_EQ(b.get(), first);
    EXPECT_EQ(rt::LiveImages(), before + 1);

    a.reset(rt::CreateImage(4, 4, 0));
    b = std::move(a);  // b's first image goes
    EXPECT_EQ(rt::LiveImages(), before + 1);
    b.reset(rt::CreateImage(4, 4, 0));
    EXPECT_EQ(rt::LiveImages(), before + 1);

    const rt::Image mine = b.release();
    EXPECT_FALSE(b);
    EXPECT_EQ(rt::LiveImages(), before + 1);
    rt::OwnedImage again(mine);
    again.reset(again.get());  // holding the same image again keeps it
    EXPECT_EQ(rt::LiveImages(), before + 1);
  }
  EXPECT_EQ(rt::LiveImages(), before);
}

}  // namespace
