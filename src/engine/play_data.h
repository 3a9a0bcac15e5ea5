// The project data that play reads, made ready in one place for the player's start-up and for the
// tools that play without it (play_headless), so that they cannot part: the data version and the
// command parameter table, the game database with the tables built from it (the animation and
// effect steps, the start-up copies of the effect lists, the character-effect and screen-effect
// templates), the system settings of "data\System.dat", and the switches the definitions take
// from them.
#pragma once

// What could not be read.
enum ePlayDataFailure {
  PLAYDATA_LOADED = 0,
  PLAYDATA_DATABASE = 1,     // a file of "data\database"
  PLAYDATA_SYSTEM_DATA = 2,  // "data\System.dat"
};

// Reads and prepares the data in the working folder (the project folder). PLAYDATA_LOADED, or
// what failed with the file's name in *lplpszFile; the loader has shown its own message.
int LoadPlayData(const char** lplpszFile);
