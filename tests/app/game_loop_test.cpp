// The game thread's loop: frames only while the application is active, thread messages
// dropped, WM_QUIT ends it.
#include <gtest/gtest.h>

#include "app/process.h"
#include "app/scene.h"
#include "platform/message.h"
#include "platform/thread.h"
#include "platform/time.h"
#include "support/temp_dir.h"
#include "support/test_thread.h"

namespace {

std::atomic<int> g_updates{0};

class cCountingScene : public cScene {
 public:
  void Update() override { ++g_updates; }
};

TEST(GameLoop, TicksOnlyWhileActiveAndEndsOnQuit) {
  CoreTestEnv env(true);
  g_bActive = 0;
  g_updates = 0;
  g_SceneManager.SetSceneFactory(SCENE_TITLE, [] () -> cScene* { return new cCountingScene; });
  std::atomic<unsigned> result{0};
  TestThread game([&] { result = GameLoop(nullptr); });
  ASSERT_TRUE(WaitUntil([&] { return PostThreadMessageA(game.id(), 0x8000, 0, 0) != 0; }));
  Sleep(30);
  EXPECT_EQ(g_updates.load(), 0) << "no frame while inactive";
  g_bActive = 1;
  ASSERT_TRUE(WaitUntil([&] { return g_updates.load() >= 5; }));
  g_bActive = 0;
  ASSERT_TRUE(PostThreadMessageA(game.id(), WM_QUIT, 0, 0));
  ASSERT_TRUE(game.Join());
  EXPECT_EQ(result.load(), 1u);
  EXPECT_NE(env.ErrorText().find("GameLoop WM_QUIT!"), std::string::npos);
  EXPECT_EQ(env.TakeCloseRequests(), 0);
  g_SceneManager.DeleteAll();
  g_SceneManager.SetSceneFactory(SCENE_TITLE, nullptr);
}

}  // namespace
