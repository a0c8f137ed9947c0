#include "engine/medium/medium_check.h"

#include "platform/read_file.h"

namespace engine {

CatalogueProblem CheckCatalogue(const Catalogue& catalogue) {
    switch (platform::FileStateOf(catalogue.File().c_str())) {
        case platform::FileState::Missing: return CatalogueProblem::Missing;
        case platform::FileState::Unreadable: return CatalogueProblem::Unreadable;
        case platform::FileState::Readable: break;
    }
    std::optional<StringList> models = catalogue.Lines(kMainSeries);
    return models && !models->empty() ? CatalogueProblem::None : CatalogueProblem::NoModels;
}

}  // namespace engine
