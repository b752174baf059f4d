// Material data of a blade row at its metal temperature, from the case's
// material curves. Internal to the library; the strength passes call it
// before rating a row.
#pragma once

extern "C" {

// Sets strs__tm to T and the row's elastic modulus and allowable stresses
// from its material curves at T (defaults where a row has no curve). 1 when
// the element is not a blade row or the input is bad (nothing written), else 0.
int strs_material(int row, double T);
}
