// The texts that tell the user what is wrong with a damaged or incomplete driver medium.
#pragma once

#include <string>

#include "engine/medium_check.h"

extern const wchar_t kMediumProblemCaption[];

// The catalogue cannot serve: names the file, whole, and what is wrong with it.
std::wstring CatalogueProblemText(engine::CatalogueProblem problem, const char16_t* cataloguePath);

// The chosen model cannot be installed from this medium: names the model and the missing
// entry or file, whole.
std::wstring ModelProblemText(const engine::ModelCheck& check, const char16_t* model, const char16_t* cataloguePath);
