#include "ProjectStore.h"

#include "TernSdkDef.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <pwd.h>
#include <unistd.h>
#include <vector>

namespace tern {

int ProjectStore::Create(const std::string& reference) {
    if (int rc = Begin(); rc != TERN_OK)
        return rc;
    // The unique key is the real guard: of two processes inserting the same reference, the
    // second one's insert waits for the first and then finds the row there.
    const int inserted = InsertIfAbsent(reference);
    if (inserted < 0)
        return inserted;
    if (inserted == 0)
        return TERN_DUPLICATE;
    return Commit();
}

int ProjectStore::Rename(const std::string& newReference, const std::string& oldReference) {
    if (int rc = Begin(); rc != TERN_OK)
        return rc;
    if (newReference == oldReference) {
        const int inserted = InsertIfAbsent(newReference);
        return inserted < 0 ? inserted : Commit();
    }
    const int moved = Move(newReference, oldReference);
    if (moved < 0)
        return moved;
    if (moved == 0) {
        // The store lost the old reference; the project still has to end up registered.
        const int inserted = InsertIfAbsent(newReference);
        if (inserted < 0)
            return inserted;
        if (inserted == 0)
            return TERN_DUPLICATE;
    }
    return Commit();
}

bool HasPostgresUriPrefix(const std::string& setting) {
    return setting.starts_with("postgresql://") || setting.starts_with("postgres://");
}

std::string LeadingKeyword(const std::string& setting) {
    // The first word must be followed by '=', so a file name that merely holds an '=' further on
    // ("/srv/a=b/projects.db") is a SQLite path without asking libpq.
    size_t pos = 0;
    while (pos < setting.size() && std::isspace(static_cast<unsigned char>(setting[pos])))
        ++pos;
    const size_t wordStart = pos;
    while (pos < setting.size() &&
           (std::isalpha(static_cast<unsigned char>(setting[pos])) || setting[pos] == '_'))
        ++pos;
    const size_t wordEnd = pos;
    while (pos < setting.size() && std::isspace(static_cast<unsigned char>(setting[pos])))
        ++pos;
    if (wordEnd == wordStart || pos == setting.size() || setting[pos] != '=')
        return {};
    return setting.substr(wordStart, wordEnd - wordStart);
}

namespace {

constexpr size_t kMaxReferenceBytes = 255; // the editor hands references over in 256-byte buffers

bool IsUtf8(const unsigned char* text) {
    while (*text) {
        const unsigned char lead = *text;
        int follow = 0;
        unsigned int codePoint = 0;
        if (lead < 0x80) {
            ++text;
            continue;
        } else if ((lead & 0xe0) == 0xc0) {
            follow = 1;
            codePoint = lead & 0x1f;
        } else if ((lead & 0xf0) == 0xe0) {
            follow = 2;
            codePoint = lead & 0x0f;
        } else if ((lead & 0xf8) == 0xf0) {
            follow = 3;
            codePoint = lead & 0x07;
        } else {
            return false;
        }
        ++text;
        for (int i = 0; i < follow; ++i, ++text) {
            if ((*text & 0xc0) != 0x80)
                return false; // also stops at the terminating NUL
            codePoint = (codePoint << 6) | (*text & 0x3f);
        }
        static const unsigned int kSmallest[] = {0, 0x80, 0x800, 0x10000};
        if (codePoint < kSmallest[follow] || codePoint > 0x10ffff ||
            (codePoint >= 0xd800 && codePoint <= 0xdfff))
            return false; // overlong forms, beyond Unicode, surrogates
    }
    return true;
}

} // namespace

bool ValidReference(const char* reference) {
    if (!reference || std::strlen(reference) > kMaxReferenceBytes)
        return false;
    bool blanksOnly = true;
    for (const char* c = reference; *c && blanksOnly; ++c)
        blanksOnly = std::isspace(static_cast<unsigned char>(*c));
    // PostgreSQL refuses text that is not UTF-8; checking here gives both stores one answer.
    return !blanksOnly && IsUtf8(reinterpret_cast<const unsigned char*>(reference));
}

Registrant Registrant::Current() {
    Registrant who;
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(geteuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found)
        who.user = found->pw_name;
    for (const char* name : {"USER", "LOGNAME"}) {
        const char* value = std::getenv(name);
        if (who.user.empty() && value)
            who.user = value;
    }
    if (who.user.empty())
        who.user = "uid " + std::to_string(geteuid());
    char host[256] = {};
    if (gethostname(host, sizeof host - 1) == 0)
        who.host = host;
    return who;
}

void Report(const std::string& what, const std::string& detail) {
    std::fprintf(stderr, "TernSdkDef: %s%s%s\n", what.c_str(), detail.empty() ? "" : ": ",
                 detail.c_str());
}

} // namespace tern
