// Deformers: reshape the first object of the model in place, once per tick.
//
// Each reads x, y, z of the first object's vertices as stored, works in
// double and rounds each result to float once, when storing it. Normals and
// texture coordinates are never touched. DeformVortex and DeformFlagFurl
// start from the snapshot (RestoreModelSnapshot) every time; DeformWave and
// DeformFlagWave write y over whatever x and z the image holds. With apply
// false, every one of them just restores the snapshot. None allocates; all
// return 1.
#ifndef MORVELLA_ANIM_DEFORMERS_H
#define MORVELLA_ANIM_DEFORMERS_H

struct ModelData;

// y = amplitude * sin(z + x + phase): crests along x + z = constant.
int DeformWave(ModelData* model, double amplitude, double phase, bool apply);

// Turns each vertex about the vertical axis by 0.1 * twist radian per unit of
// distance from it, then scales x and z by scale.
int DeformVortex(ModelData* model, double scale, double twist, bool apply);

// y = amplitude * (x + 12) * sin((z + 2x) / 3 - phase): still at the hinge
// x = -12, growing towards larger x.
int DeformFlagWave(ModelData* model, double amplitude, double phase, bool apply);

// Gathers every vertex right of x = 24 * reach - 12 onto that line.
int DeformFlagFurl(ModelData* model, double reach, bool apply);

#endif
