#include "tools/patchkit/authenticode_signer.h"

#include <cstdint>
#include <cstdio>

#include "tools/patchkit/der_reader.h"
#include "tools/patchkit/little_endian.h"

namespace patchkit {
namespace {

constexpr uint16_t kCertificateRevision = 0x0200;
constexpr uint16_t kCertificateTypePkcsSignedData = 0x0002;
constexpr size_t kCertificateEntryHeader = 8;
// The object identifiers' encoded bytes: PKCS#7 signedData (1.2.840.113549.1.7.2), and the
// name attributes commonName (2.5.4.3) and organizationName (2.5.4.10).
constexpr std::string_view kSignedData("\x2A\x86\x48\x86\xF7\x0D\x01\x07\x02", 9);
constexpr std::string_view kCommonName("\x55\x04\x03", 3);
constexpr std::string_view kOrganization("\x55\x04\x0A", 3);

uint8_t byteAt(std::string_view bytes, size_t at) { return static_cast<uint8_t>(bytes[at]); }

std::string hex16(uint16_t value) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%04X", value);
    return text;
}

// A certificate's text ends up on the vendor's terminal: control characters and whatever
// is no character become U+FFFD.
void appendCodePoint(std::string& out, uint32_t c) {
    if (c < 0x20 || (c >= 0x7F && c < 0xA0) || (c >= 0xD800 && c < 0xE000) || c > 0x10FFFF) c = 0xFFFD;
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | c >> 6);
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | c >> 12);
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | c >> 18);
        out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

void appendUtf8Text(std::string& out, std::string_view bytes) {
    static const uint32_t kSmallest[] = {0, 0x80, 0x800, 0x10000};
    for (size_t k = 0; k < bytes.size();) {
        uint8_t lead = byteAt(bytes, k++);
        int extra = lead < 0x80 ? 0 : lead >= 0xC2 && lead < 0xE0 ? 1 : lead >= 0xE0 && lead < 0xF0 ? 2 : lead >= 0xF0 && lead < 0xF5 ? 3 : -1;
        if (extra < 0) {
            appendCodePoint(out, 0xFFFD);
            continue;
        }
        uint32_t c = extra == 0 ? lead : lead & (0x3Fu >> extra);
        int taken = 0;
        for (; taken < extra && k < bytes.size() && (byteAt(bytes, k) & 0xC0) == 0x80; ++taken) c = c << 6 | (byteAt(bytes, k++) & 0x3F);
        appendCodePoint(out, taken == extra && c >= kSmallest[extra] ? c : 0xFFFD);
    }
}

// A name attribute's value: UTF8String, BMPString (UCS-2, big-endian), or one of the older
// one-byte kinds, read as Latin-1.
std::string textOf(const DerElement& value) {
    std::string text;
    std::string_view bytes = value.content;
    if (value.tag == der::kUtf8String) {
        appendUtf8Text(text, bytes);
    } else if (value.tag == der::kBmpString) {
        for (size_t k = 0; k + 1 < bytes.size(); k += 2) appendCodePoint(text, static_cast<uint32_t>(byteAt(bytes, k) << 8 | byteAt(bytes, k + 1)));
    } else {
        for (size_t k = 0; k < bytes.size(); ++k) appendCodePoint(text, byteAt(bytes, k));
    }
    return text;
}

// The first attribute of `type` in the content of a Name: a sequence of sets of
// (type, value) pairs.
bool attributeOf(std::string_view name, std::string_view type, std::string& text) {
    DerReader sets(name);
    DerElement set;
    while (sets.nextIf(der::kSet, set)) {
        DerReader pairs(set.content);
        DerElement pair;
        while (pairs.nextIf(der::kSequence, pair)) {
            DerReader parts(pair.content);
            DerElement oid, value;
            if (parts.nextIf(der::kObjectIdentifier, oid) && parts.next(value) && oid.content == type) {
                text = textOf(value);
                return true;
            }
        }
    }
    return false;
}

// ContentInfo { contentType signedData, [0] EXPLICIT SignedData }
bool signedDataOf(std::string_view pkcs7, DerElement& signedData) {
    DerReader top(pkcs7);
    DerElement contentInfo, type, explicitContent;
    if (!top.nextIf(der::kSequence, contentInfo)) return false;
    DerReader parts(contentInfo.content);
    if (!parts.nextIf(der::kObjectIdentifier, type) || type.content != kSignedData) return false;
    if (!parts.nextIf(der::contextTag(0), explicitContent)) return false;
    DerReader inner(explicitContent.content);
    return inner.nextIf(der::kSequence, signedData);
}

}  // namespace

bool signerNameOf(std::string_view table, std::string& signer, std::string& why) {
    if (table.size() < kCertificateEntryHeader) {
        why = "its certificate table is shorter than one entry's header";
        return false;
    }
    uint32_t length = littleEndian32(table, 0);
    uint16_t revision = littleEndian16(table, 4);
    uint16_t type = littleEndian16(table, 6);
    if (length < kCertificateEntryHeader || length > table.size()) {
        why = "its certificate table's first entry claims " + std::to_string(length) + " bytes of the table's " + std::to_string(table.size());
        return false;
    }
    if (revision != kCertificateRevision || type != kCertificateTypePkcsSignedData) {
        why = "its certificate table's first entry is of revision " + hex16(revision) + " and type " + hex16(type) +
              ", not a PKCS#7 signature (revision 0x0200, type 0x0002)";
        return false;
    }
    DerElement signedData;
    if (!signedDataOf(table.substr(kCertificateEntryHeader, length - kCertificateEntryHeader), signedData)) {
        why = "its signature is not PKCS#7 signed data";
        return false;
    }
    // SignedData { version, digestAlgorithms, contentInfo, [0] certificates, [1] crls, signerInfos }
    DerReader parts(signedData.content);
    DerElement version, digestAlgorithms, content, certificates, crls, signerInfos, signerInfo;
    if (!parts.nextIf(der::kInteger, version) || !parts.nextIf(der::kSet, digestAlgorithms) || !parts.nextIf(der::kSequence, content)) {
        why = "its signed data cannot be read";
        return false;
    }
    bool withCertificates = parts.nextIf(der::contextTag(0), certificates);
    parts.nextIf(der::contextTag(1), crls);
    if (!parts.nextIf(der::kSet, signerInfos) || !DerReader(signerInfos.content).nextIf(der::kSequence, signerInfo)) {
        why = "its signed data names no signer";
        return false;
    }
    // SignerInfo { version, issuerAndSerialNumber { issuer, serialNumber }, ... }
    DerReader info(signerInfo.content);
    DerElement infoVersion, signerId, issuer, serial;
    bool byIssuerAndSerial = info.nextIf(der::kInteger, infoVersion) && info.nextIf(der::kSequence, signerId);
    DerReader id(byIssuerAndSerial ? signerId.content : std::string_view{});
    if (!id.nextIf(der::kSequence, issuer) || !id.nextIf(der::kInteger, serial)) {
        why = "its signer is named other than by issuer and serial number";
        return false;
    }
    // Certificate { TBSCertificate { [0] version, serialNumber, signature, issuer, validity, subject, ... }, ... }
    DerReader certificateList(withCertificates ? certificates.content : std::string_view{});
    DerElement certificate;
    while (certificateList.nextIf(der::kSequence, certificate)) {
        DerReader outer(certificate.content);
        DerElement tbs, certificateVersion, certificateSerial, algorithm, certificateIssuer, validity, subject;
        if (!outer.nextIf(der::kSequence, tbs)) continue;
        DerReader fields(tbs.content);
        fields.nextIf(der::contextTag(0), certificateVersion);
        if (!fields.nextIf(der::kInteger, certificateSerial) || !fields.nextIf(der::kSequence, algorithm) ||
            !fields.nextIf(der::kSequence, certificateIssuer) || !fields.nextIf(der::kSequence, validity) ||
            !fields.nextIf(der::kSequence, subject)) {
            continue;
        }
        if (certificateSerial.content != serial.content || certificateIssuer.whole != issuer.whole) continue;
        if (attributeOf(subject.content, kCommonName, signer) || attributeOf(subject.content, kOrganization, signer)) return true;
        why = "its signer's certificate names neither a common name nor an organisation";
        return false;
    }
    why = "the certificate that made its signature is not in it";
    return false;
}

}  // namespace patchkit
