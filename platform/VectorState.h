#pragma once

namespace lumvale {

// Code of other libraries (Qt's drawing among them) can return with the upper halves of the
// vector registers in use. Until a vzeroupper, every legacy SSE instruction then pays a
// penalty; the table building's scalar floating point ran ten times slower in the batch. Call
// this before such code; it does nothing on processors without AVX.
void ClearUpperVectorState();

}  // namespace lumvale
