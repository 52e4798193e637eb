// One line that tells what a controller does, for the picture's tool tips and the main
// window's selection line: the controller's descriptor, the user's parameter name and the
// short caption of its assignment, joined by em dashes ("R1 — Cutoff — CC 74:1"). A name that
// is empty or blank is left out; a controller without an assignment says "no assignment".
// UTF-8.
#pragma once

#include <string>

class CPatch;

class UControllerSummary {
 public:
  // Empty for an index outside 0..49.
  static std::string Describe(const CPatch& patch, long index);
};
