// The commands that change a character's state flags and that take characters and shots out of
// play: "ステータスの操作2" (vanish, transparency, fixed facing, flying, invincibility, zoom,
// scroll sync, and the system's automatic scroll) and "消滅" (characters of a side, shots of a
// side, and the descendants a character summoned with their shots).
#pragma once

class cChara;
class cFlowCmd;

// Summoning chains deeper than this many generations below the acting character are left
// alone.
constexpr int MAX_VANISH_DEPTH = 1000;

// Kills a character on behalf of a command: a stage character is flagged to be removed by the
// play scene's next pass (no defeat, no score), the hero's hit points become 0. When it is not
// the acting character, the scene's deferred hit-point check is requested (m_bCheckHp), which
// takes the character out of play right after the acting character's turn.
void KillByCommand(cChara& victim, const cChara& acting);

// Kind 23; acts on the character itself, a target (an empty slot does nothing) or the system.
int CmdStatusOperation2(cChara& chara, cFlowCmd& cmd);
// Kind 24.
int CmdVanish(cChara& chara, cFlowCmd& cmd);
// Kills the summoned descendants of chara, deepest first, generations 1..MAX_VANISH_DEPTH + 1;
// inactive children and everything below them stay. With bShots each killed descendant's own
// shots are removed first. Walks the chain without recursion.
void KillDescendants(cChara& chara, int depth, int bShots);
// Removes the active shots chara fired (its owner links). While the damage pass runs they are
// only flagged as removed and the links stay, since the pass is walking the shots.
void RemoveChildShots(cChara& chara);
