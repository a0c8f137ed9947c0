// The messages that name what is wrong with a damaged or incomplete driver medium: the
// row of the program's table for each problem, with its values.
#pragma once

#include <string>

#include "engine/medium/medium_check.h"
#include "engine/medium/preparation.h"
#include "engine/messages/messages.h"

namespace engine {

// The catalogue cannot serve: names the file, whole, and what is wrong with it.
Message CatalogueProblemMessage(CatalogueProblem problem, const std::u16string& cataloguePath);

// The chosen model (the catalogue's entry) cannot be installed from this medium: names
// the model and the missing entry or file, whole. The prepared request has a problem.
Message ModelProblemMessage(const Preparation& prepared, const std::u16string& model);

}  // namespace engine
