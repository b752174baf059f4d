// Gauging angles of a solved gauging-angle task, written back into the case.
#pragma once

extern "C" {
// For tasks 40 and 400: every blade row's cas__B2a takes the angle factor the
// search found (ang_mask_apply); 0. Any other task: 1, nothing changed.
int refresh_gauging_angles(void);
}
