#include "engine/machine/process_account.h"

#include "platform/account.h"
#include "platform/services.h"
#include "platform/text.h"

namespace engine {

ProcessAccount CheckProcessAccount() {
    // The longest SID (15 sub-authorities) in its string form fits with room to spare.
    char16_t sid[192] = {};
    platform::Result<platform::Bool> read =
        platform::Get<platform::Account>().GetProcessUserSid(sid, sizeof sid / sizeof sid[0]);
    if (!read.ok()) return ProcessAccount{RunsAs::Unknown, read.error};
    return ProcessAccount{text::Equal(sid, u"S-1-5-18") ? RunsAs::LocalSystem : RunsAs::OtherAccount};
}

}  // namespace engine
