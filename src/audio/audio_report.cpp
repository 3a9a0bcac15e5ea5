#include "audio/audio_report.h"

#include "core/log.h"
#include "platform/midi_synth.h"
#include "platform/mixer.h"

namespace {

void WriteAudioReport(const char* line) { ReportLog("%s", line); }

}  // namespace

void RouteAudioReportToLog() {
  SetAudioReportHook(&WriteAudioReport);
  SetMidiReportHook(&WriteAudioReport);
}
