// Events fired on characters start their flows: the runs whose trigger matches and that may
// start now are tested against their start conditions and key conditions, and started. Each
// flow is tested at most once per frame and each group starts at most one always-running flow
// per frame; the per-frame flags are cleared before the frame's sub-steps.
#pragma once

class cChara;
class cObject;

// Clears the tested and started flags of every run and the started flag of every group.
void ClearFlowFrameFlags(cChara& chara);
// Starts the flows of a trigger on a character. partner (or null) is the other party of the
// event and goes into the target slot of flows that take it; idFilter 0 admits every flow, else
// only the flows of that ID.
void FireFlowEvent(cChara& chara, int trigger, cObject* lpPartner, int idFilter);
