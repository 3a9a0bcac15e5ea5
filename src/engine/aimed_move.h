// Velocities aimed at a goal, for the movement commands. All positions are screen positions.
#pragma once

class cChara;
class cCmdState;

// The velocity toward (or, with a negative speed, away from) a goal: on a 45-degree diagonal
// for a negative speed unless straightOnly, else straight; corrected for the automatic
// scroll. Direction 1 left, 2 right, 0 none. With the arrival test, 1 when the straight move
// reaches the goal within one step. Never gives a velocity that is not a number.
int AimVelocity(double& vx, double& vy, int& direction, const cChara* target, double x, double y, double gx,
                double gy, double speed, int moverScrollSync, int straightOnly, int arrival);
// One axis: speed toward the goal (direction 1 when x >= goal x, else 2).
int StepTowardX(double& vx, double& ignored, int& direction, const cChara* target, double x, double gx,
                double speed, int moverScrollSync, int arrival);
int StepTowardY(double& vy, double& ignored, const cChara* target, double y, double gy, double speed,
                int moverScrollSync, int arrival);
