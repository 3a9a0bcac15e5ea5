// Writes the project folder the soak plays: the test project of the player's tests (the stage
// "free" in its numbered versions 2 and 10) and two more stages with something to meet: a
// short walk under a time limit, and a crowded field with pits, deadly blocks, flying
// characters and carried items.
//   write_soak_projects DIR
#include <cstdio>
#include <string>

#include "app/app_fixture.h"
#include "fixture/fixture.h"
#include "project/stage.h"

namespace {

// A wide field: a floor broken by pits and deadly blocks, platforms, walking and flying
// characters (some carrying items) and loose items.
cStage CrowdStage() {
  constexpr int kWidth = 60;
  cStage s = fixture::Stage(kWidth, 15);
  for (int x = 0; x < kWidth; ++x) {
    if (x % 13 == 7 || x % 13 == 8) continue;  // a pit
    fixture::Place(s, x % 17 == 11 ? fixture::DeadlyBlock(5) : fixture::Block(1), x, 14);
  }
  fixture::Fill(s, fixture::Block(1), 10, 10, 16, 10);
  fixture::Fill(s, fixture::Block(1), 30, 9, 38, 9);
  fixture::Place(s, fixture::Hero(2), 2, 13);
  for (int i = 0; i < 6; ++i) fixture::Place(s, fixture::Item(4), 5 + i * 9, 12);
  cCharaData flyer = fixture::Chara(3);
  flyer.m_byFlying = 1;
  for (int i = 0; i < 12; ++i) {
    const int carried = i % 4 == 0 ? i / 4 : -1;  // items 0, 1 and 2 ride with a character
    if (i % 3 == 0) {
      fixture::Place(s, flyer, 6 + i * 4, 4 + i % 5, carried);
    } else {
      fixture::Place(s, fixture::Chara(3), 6 + i * 4, 13, carried);
    }
  }
  s.m_bShowStartBanner = 1;
  fixture::EncloseGrid(s);
  return s;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: write_soak_projects DIR\n");
    return 2;
  }
  const std::string root = argv[1];
  bool ok = appfixture::WriteProject(root);
  fixture::Project project(root);
  cStage walk = appfixture::WalkStage();
  cStage crowd = CrowdStage();
  ok = ok && project.WriteStage(walk, "walk", 0) && project.WriteStage(crowd, "crowd", 0);
  if (!ok) {
    std::fprintf(stderr, "write_soak_projects: cannot write %s\n", root.c_str());
    return 1;
  }
  return 0;
}
