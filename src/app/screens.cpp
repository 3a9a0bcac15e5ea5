#include "app/screens.h"

#include "app/options_scene.h"
#include "app/play_screen.h"
#include "app/save_scene.h"
#include "app/scene.h"
#include "app/stage_select_scene.h"
#include "app/title_scene.h"
#include "app/world_map_scene.h"

void RegisterScreens() {
  g_SceneManager.SetSceneFactory(SCENE_TITLE, &CreateTitleMenuScene);
  g_SceneManager.SetSceneFactory(SCENE_WORLD_MAP, &CreateWorldMapScene);
  g_SceneManager.SetSceneFactory(SCENE_SAVE, &CreateSaveScene);
  g_SceneManager.SetSceneFactory(SCENE_STAGE_SELECT, &CreateStageSelectScene);
  g_SceneManager.SetSceneFactory(SCENE_OPTIONS, &CreateSettingsScene);
  RegisterPlayScreen();
}
