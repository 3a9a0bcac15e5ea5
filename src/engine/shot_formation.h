// The formations that lay out the objects of the shot and summon commands: straight rows and
// columns, spreads, thunder from the screen edge, explosions and encirclements, with the aimed
// angle; and the shot command that fires its volleys through them.
#pragma once

#include <vector>

#include "defs/ed_shot.h"
#include "engine/object_list.h"
#include "engine/shot.h"

class cChara;
class cCmdState;

// The direction code of the shot data resolved against the user's facing and the input
// direction recorded by the running flow: 2 left, 3 right, 6 up, 7 down, 8..11 diagonals.
int ResolveShotDirection(int code, const cChara& user);
// The flight angle of a resolved direction code (0 for codes without one).
int BaseAngle(int code);
// The velocity of an angle in degrees: (-cos, -sin) × speed.
void AngleVelocity(double angle, double speed, double& vx, double& vy);
// The angle from a point (stage dots) toward the character in the user's aim target slot; the
// user's front without one. Leading a moving scroll it may change the record's speed.
double AimAngle(double px, double py, cChara& user, const cEdShot& shot, cShotSpawn& rec);

// Lays out the objects of one volley: their positions and velocities (and speeds) appended to
// out. A formation outside 0..5 lays out nothing (reported once); so does a count of 0. With
// placesOnly (summons, which take only the places) the velocities of angled objects are left
// at 0: a summon of 255 at the character limit, every frame of every summoner, spent its time in
// their sines and cosines.
void LayOutFormation(cChara& user, const cEdShot& shot, const cShotSpawn& rec, std::vector<cShotSpawn>& out,
                     bool placesOnly = false);

// One shot at the record's position, copied into the list with its links; its id from the
// scene's shot counter. The copy, or null without a play scene.
cShot* SpawnAtPosition(cObjectList<cShot>& list, const cShotSpawn& rec, cChara& user, const cEdShot& shot);

// The shot command's volleys. A trajectory outside 0..9 or a formation outside 0..5 fires
// nothing (reported once).
void CmdShot(cObjectList<cShot>& list, cChara& user, cCmdState& state, const cEdShot& shot);
