/* Halvorine2: flow paths of turbomachines. The whole exported interface. */
#ifndef HALVORINE2_H
#define HALVORINE2_H

#include "halvorine2/atlas.h"
#include "halvorine2/case_block.h"
#include "halvorine2/case_data.h"
#include "halvorine2/case_file.h"
#include "halvorine2/compressor_design.h"
#include "halvorine2/console.h"
#include "halvorine2/curves.h"
#include "halvorine2/flow_files.h"
#include "halvorine2/fluids.h"
#include "halvorine2/host_calls.h"
#include "halvorine2/losses.h"
#include "halvorine2/lptau.h"
#include "halvorine2/output.h"
#include "halvorine2/params.h"
#include "halvorine2/predesign.h"
#include "halvorine2/profile_tools.h"
#include "halvorine2/blade_layer.h"
#include "halvorine2/profiles.h"
#include "halvorine2/radial_design.h"
#include "halvorine2/reports.h"
#include "halvorine2/runs.h"
#include "halvorine2/solver.h"
#include "halvorine2/stage_design.h"
#include "halvorine2/strength.h"
#include "halvorine2/threading.h"
#include "halvorine2/units.h"
#include "halvorine2/volute.h"
#include "halvorine2/walkers.h"

#endif
