#include "sample_sprites.h"

#include "sample_palette.h"

namespace {

// Legs under a 12-row body.
Pict WithLegs(const Pict& body, const Pict& legs) {
  Pict p = body;
  p.insert(p.end(), legs.begin(), legs.end());
  return p;
}

}  // namespace

// The key shared by every picture:
//   O outline  W white  K black  S skin  R red  r rose  Y yellow  y gold  G green  g light green
//   B blue  b sky  C cyan  P purple  p lilac  N brown  n sand  E grey  e light grey  F fire
void DrawPict(Canvas& canvas, int x, int y, const Pict& pict, int scale) {
  canvas.Pict(x, y, pict,
              {{'O', C_OUTLINE},       {'W', C_WHITE},         {'K', C_BLACK},          {'S', C_SKIN},
               {'R', C_RED},           {'r', RAMP_ROSE + 10},  {'Y', C_YELLOW},         {'y', RAMP_GOLD + 6},
               {'G', RAMP_GRASS + 6},  {'g', RAMP_GRASS + 12}, {'B', C_BLUE},           {'b', RAMP_SKY + 12},
               {'C', C_CYAN},          {'P', C_PURPLE},        {'p', RAMP_VIOLET + 11}, {'N', C_BROWN},
               {'n', RAMP_EARTH + 11}, {'E', C_GREY},          {'e', RAMP_STONE + 13},  {'F', C_ORANGE}},
              scale);
}

Poses HeroPoses() {
  const Pict body = {
      "........gG......",  //
      "......gGGg......",  //
      ".......G........",  //
      ".....OOOOOO.....",  //
      "....OSSSSSSO....",  //
      "...OSKSSSSSSO...",  //
      "...OSKSSSSSSO...",  //
      "...OrSSSSSSSO...",  //
      "....OSSSSSSO....",  //
      ".....ORRRRO.....",  //
      "....ORRYRRRO....",  //
      "...OSORRRRROS...",  //
  };
  Poses p;
  p.stand = WithLegs(body, {".....OBBBBO.....", ".....OBOOBO.....", ".....ONO.ONO....", "....OOO..OOO...."});
  p.walk1 = WithLegs(body, {".....OBBBBO.....", "....OBO..OBO....", "...ONO....ONO...", "...OO......OO..."});
  p.walk2 = WithLegs(body, {".....OBBBBO.....", "......OBBO......", "......ONNO......", ".....OOOOO......"});
  Pict jump = body;
  jump[11] = "..OSSORRRRROSSO.";
  p.jump = WithLegs(jump, {".....OBBBBO.....", "....OBO..OBO....", "....ONO..ONO....", "................"});
  return p;
}

Poses WalkerPoses() {
  const Pict body = {
      "................",  //
      "................",  //
      "................",  //
      "................",  //
      "......OOOO......",  //
      "....OOGGGGOO....",  //
      "...OGGGGGGGGO...",  //
      "..OGWKGGGGWKGO..",  //
      "..OGWKGGGGWKGO..",  //
      ".OGGGGGGGGGGGGO.",  //
      ".OGGGGRRRRGGGGO.",  //
      ".OGGGGGGGGGGGGO.",  //
  };
  Poses p;
  p.stand = WithLegs(body, {"..OGGGGGGGGGGO..", "...OOOOOOOOOO...", "...ONNO..ONNO...", "...OOOO..OOOO..."});
  p.walk1 = WithLegs(body, {"..OGGGGGGGGGGO..", "...OOOOOOOOOO...", "..ONNO....ONNO..", "..OOOO....OOOO.."});
  p.walk2 = WithLegs(body, {"..OGGGGGGGGGGO..", "...OOOOOOOOOO...", "....ONNOONNO....", "....OOOOOOOO...."});
  p.jump = p.walk1;
  return p;
}

Poses JumperPoses() {
  const Pict body = {
      "................",  //
      "................",  //
      "................",  //
      "...OOO....OOO...",  //
      "..OWKWO..OWKWO..",  //
      "..OWWWOOOOWWWO..",  //
      "...OCCCCCCCCO...",  //
      "..OCCCCCCCCCCO..",  //
      "..OCRRRRRRRRCO..",  //
      "..OCCCCCCCCCCO..",  //
      ".OCCCCWWWWCCCCO.",  //
      ".OCCCWWWWWWCCCO.",  //
  };
  Poses p;
  p.stand = WithLegs(body, {".OCCCCWWWWCCCCO.", "OCCOOOOOOOOOOCCO", "OCO..........OCO", "OO............OO"});
  p.walk1 = p.stand;
  p.walk2 = WithLegs(body, {".OCCCCWWWWCCCCO.", "..OCCOOOOOOCCO..", "..OCO......OCO..", "..OO........OO.."});
  p.jump = WithLegs(body, {".OCCCCWWWWCCCCO.", "..OCCO....OCCO..", "...OCO....OCO...", "....OO....OO...."});
  return p;
}

Poses ShooterPoses() {
  const Pict body = {
      "................",  //
      "................",  //
      "......OOOOO.....",  //
      ".....OEEEEEO....",  //
      "....OEeeeeeEO...",  //
      "OOOOOEKeeKeEO...",  //
      "OKKKKEeeeeeEO...",  //
      "OOOOOEeeeeeEO...",  //
      "....OEEEEEEEO...",  //
      "...OPPPPPPPPPO..",  //
      "..OPPpPPPPPpPPO.",  //
      "..OPPPPPPPPPPPO.",  //
  };
  Poses p;
  p.stand = WithLegs(body, {"..OPPPPPPPPPPPO.", "..ONNNNNNNNNNNO.", "..ONOONOONOONNO.", "..OOOOOOOOOOOOO."});
  p.walk1 = p.stand;
  p.walk2 = p.stand;
  p.jump = p.stand;
  p.walk2[6] = "FKKKKEeeeeeEO...";
  return p;
}

Poses BossPoses() {
  const Pict body = {
      "..O..........O..",  //
      ".OeO........OeO.",  //
      ".OeeO.OOOO.OeeO.",  //
      "..OeOORRRROOeO..",  //
      "...ORRRRRRRRO...",  //
      "..ORYKRRRRYKRO..",  //
      "..ORYKRRRRYKRO..",  //
      ".ORRRRRRRRRRRRO.",  //
      ".ORRWOWOOWOWRRO.",  //
      ".ORRRRRRRRRRRRO.",  //
      "ORRRRRrrrrRRRRRO",  //
      "ORROORrrrrROORRO",  //
  };
  Poses p;
  p.stand = WithLegs(body, {"OROO.ORRRRO.OORO", ".O...ORRRRO...O.", "....ONNOONNO....", "...OOOO..OOOO..."});
  p.walk1 = WithLegs(body, {"OROO.ORRRRO.OORO", ".O...ORRRRO...O.", "...ONNO..ONNO...", "..OOOO....OOOO.."});
  p.walk2 = WithLegs(body, {"OROO.ORRRRO.OORO", ".O...ORRRRO...O.", ".....ONNNNO.....", "....OOOOOOOO...."});
  p.jump = p.walk1;
  return p;
}

Pict Mirrored(const Pict& pict) {
  Pict p = pict;
  for (std::string& row : p) row.assign(row.rbegin(), row.rend());
  return p;
}

Pict MapWalkerPict(int facing, int step) {
  if (facing == 2 || facing == 3) {
    // Seen from the side: the two walking steps of the play, which face left.
    const Poses side = HeroPoses();
    const Pict& p = step ? side.walk2 : side.walk1;
    return facing == 2 ? p : Mirrored(p);
  }
  // Seen from the front (walking down) or the back (walking up): the left foot forward, and
  // the picture mirrored for the right foot.
  const Pict front = {
      "........gG......",  //
      "......gGGg......",  //
      ".......G........",  //
      ".....OOOOOO.....",  //
      "....OSSSSSSO....",  //
      "...OSSKSSKSSO...",  //
      "...OSSKSSKSSO...",  //
      "...OrSSSSSSrO...",  //
      "....OSSSSSSO....",  //
      ".....ORRRRO.....",  //
      "....ORRYYRRO....",  //
      "...OSORRRROSO...",  //
      ".....OBBBBO.....",  //
      ".....OBOOBO.....",  //
      "....ONO.OBO.....",  //
      "....OOO.ONO.....",  //
  };
  const Pict back = {
      "........gG......",  //
      "......gGGg......",  //
      ".......G........",  //
      ".....OOOOOO.....",  //
      "....OSSSSSSO....",  //
      "...OSSSSSSSSO...",  //
      "...OSSSSSSSSO...",  //
      "...OSSSSSSSSO...",  //
      "....OSSSSSSO....",  //
      ".....ORRRRO.....",  //
      "....ORRRRRRO....",  //
      "...OSORRRROSO...",  //
      ".....OBBBBO.....",  //
      ".....OBOOBO.....",  //
      "....ONO.OBO.....",  //
      "....OOO.ONO.....",  //
  };
  const Pict& p = facing == 1 ? back : front;
  return step ? Mirrored(p) : p;
}

Pict SignPict(int frame) {
  static_cast<void>(frame);  // a sign does not move
  return {
      "................",  //
      "................",  //
      "..OOOOOOOOOOOO..",  //
      ".OnnnnnnnnnnnnO.",  //
      ".OnKKKnnKKKKnnO.",  //
      ".OnnnnnnnnnnnnO.",  //
      ".OnKKKKKnnKKnnO.",  //
      ".OnnnnnnnnnnnnO.",  //
      ".OnKKnnKKKKKnnO.",  //
      ".OnnnnnnnnnnnnO.",  //
      "..OOOOONNOOOOO..",  //
      "......ONNO......",  //
      "......ONNO......",  //
      "......ONNO......",  //
      ".....GONNOG.....",  //
      "....GGGGGGGG....",  //
  };
}

Pict GoalPict(int frame) {
  Pict p = {
      "......OYO.......",  //
      "......OEOOOOOOO.",  //
      "......OEORRRRRO.",  //
      "......OEORRWRRO.",  //
      "......OEORWWWRO.",  //
      "......OEORRWRRO.",  //
      "......OEORRRRRO.",  //
      "......OEOOOOOOO.",  //
      "......OEO.......",  //
      "......OEO.......",  //
      "......OEO.......",  //
      "......OEO.......",  //
      "......OEO.......",  //
      "......OEO.......",  //
      "....OOOOOOO.....",  //
      "....OEEEEEO.....",  //
  };
  if (frame == 1) {
    // The flag flutters: its outer edge one dot lower.
    p[1] = "......OEOOOOOO..";
    p[7] = "......OEOOOOOOO.";
    p[8] = "......OEO....OO.";
  }
  return p;
}

Pict CratePict() {
  return {
      "OOOOOOOOOOOOOOOO",  //
      "OnnnnnnnnnnnnnnO",  //
      "OnNOOOOOOOOOONnO",  //
      "OnONnnnnnnnNnOnO",  //
      "OnOnNnnnnnnNnOnO",  //
      "OnOnnNnnnnNnnOnO",  //
      "OnOnnnNnnNnnnOnO",  //
      "OnOnnnnNNnnnnOnO",  //
      "OnOnnnnNNnnnnOnO",  //
      "OnOnnnNnnNnnnOnO",  //
      "OnOnnNnnnnNnnOnO",  //
      "OnOnNnnnnnnNnOnO",  //
      "OnONnnnnnnnnNOnO",  //
      "OnNOOOOOOOOOONnO",  //
      "OnnnnnnnnnnnnnnO",  //
      "OOOOOOOOOOOOOOOO",  //
  };
}

Pict CoinPict(int frame) {
  if (frame == 0)
    return {"................", ".....OOOOOO.....", "....OYYYYYYO....", "...OYYWYYYYyO...",
            "..OYYWYYYYYYyO..", "..OYWYYOOYYYyO..", "..OYWYYOYYYYyO..", "..OYYYYOYYYYyO..",
            "..OYYYYOYYYYyO..", "..OYYYYOYYYYyO..", "..OYYYOOOYYYyO..", "..OYYYYYYYYYyO..",
            "...OYYYYYYyyO...", "....OyyyyyyO....", ".....OOOOOO.....", "................"};
  return {"................", "......OOOO......", ".....OYYYyO.....", "....OYWYYYyO....",
          "....OYWYYYyO....", "....OYWYOYyO....", "....OYYYOYyO....", "....OYYYOYyO....",
          "....OYYYOYyO....", "....OYYYOYyO....", "....OYYOOYyO....", "....OYYYYYyO....",
          "....OYYYYyyO....", ".....OyyyyO.....", "......OOOO......", "................"};
}

Pict HeartPict(int frame) {
  if (frame == 0)
    return {"................", "................", "...OOO....OOO...", "..ORRRO..ORRRO..",
            ".ORWWRROORRRRRO.", ".ORWRRRRRRRRRRO.", ".ORRRRRRRRRRRRO.", ".ORRRRRRRRRRRRO.",
            "..ORRRRRRRRRRO..", "...ORRRRRRRRO...", "....ORRRRRRO....", ".....ORRRRO.....",
            "......ORRO......", ".......OO.......", "................", "................"};
  return {"................", "................", "................", "....OO....OO....",
          "...ORRO..ORRO...", "..ORWRROORRRRO..", "..ORRRRRRRRRRO..", "..ORRRRRRRRRRO..",
          "...ORRRRRRRRO...", "....ORRRRRRO....", ".....ORRRRO.....", "......ORRO......",
          ".......OO.......", "................", "................", "................"};
}

Pict KeyPict(int frame) {
  Pict p = {"................", "................", "...OOOO.........", "..OYYYYO........",
            ".OYYOOYYO.......", ".OYO..OYO.......", ".OYO..OYOOOOOOO.", ".OYYOOYYYYYYYYYO",
            "..OYYYYOOOOYOYO.", "...OOOO....O.O..", "................", "................",
            "................", "................", "................", "................"};
  if (frame == 1) p[4] = ".OYWOOYYO.......";
  return p;
}

Pict GemPict(int frame) {
  Pict p = {"................", "................", "....OOOOOOOO....", "...OCWCCCCCCO...",
            "..OCWCCCCCCCCO..", ".OOOOOOOOOOOOOO.", ".OCCCCCCCCCCCCO.", "..OCCCCCCCCCCO..",
            "...OCCCCCCCCO...", "....OCCCCCCO....", ".....OCCCCO.....", "......OCCO......",
            ".......OO.......", "................", "................", "................"};
  if (frame == 1) p[6] = ".OCCWCCCCCCCCCO.";
  return p;
}
