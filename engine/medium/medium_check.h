// What is wrong with a damaged driver medium, found before anything on the machine
// changes: a catalogue that is missing, unreadable or lists no model. What is wrong with
// one model of it the preparation of its installation says (engine/preparation.h).
#pragma once

#include <string>

#include "engine/medium/catalogue.h"

namespace engine {

enum class CatalogueProblem {
    None,
    Missing,     // no file of that name
    Unreadable,  // there, but it cannot be read (a folder, no permission)
    NoModels,    // read, but the main series lists no model (also junk and other files)
};

CatalogueProblem CheckCatalogue(const Catalogue& catalogue);

}  // namespace engine
