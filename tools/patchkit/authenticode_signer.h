#pragma once

#include <string>
#include <string_view>

// Who signed a Windows program, read from its certificate table: the name Windows shows as the
// publisher when it asks whether to let the program make changes. Whether the signature holds
// is not decided here; osslsigncode verify does that.
namespace patchkit {

// The common name, else the organisation, in the subject of the certificate that made the
// table's first signature, as UTF-8 with control characters replaced; false (with `why`) when
// the table holds no signature whose signer can be read.
bool signerNameOf(std::string_view certificateTable, std::string& signer, std::string& why);

}  // namespace patchkit
