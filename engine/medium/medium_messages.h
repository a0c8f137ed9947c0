// The texts that tell the user what is wrong with a damaged or incomplete driver medium.
#pragma once

#include <string>

#include "engine/medium/medium_check.h"
#include "engine/medium/preparation.h"

namespace engine {

extern const char16_t kMediumProblemCaption[];

// The catalogue cannot serve: names the file, whole, and what is wrong with it.
std::u16string CatalogueProblemText(CatalogueProblem problem, std::u16string_view cataloguePath);

// The chosen model cannot be installed from this medium: names the model and the missing
// entry or file, whole.
std::u16string ModelProblemText(const Preparation& prepared, std::u16string_view model);

}  // namespace engine
