// The report lines of the audio output (no device: silent output) and of the MIDI
// synthesizer (the soundfont used, or why music is silent) go to the report log.
#pragma once

// Called before anything of the audio subsystem opens the shared output.
void RouteAudioReportToLog();
