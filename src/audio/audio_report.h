// The audio output's report line (no device: silent output) goes to the report log.
#pragma once

// Called before anything of the audio subsystem opens the shared output.
void RouteAudioReportToLog();
