#pragma once
// Where the gateway session token survives restarts: one small private file in the user's
// configuration folder (the folder 0700, the file 0600), named by the item's service and
// account. Writes are atomic, so a reader sees the old token or the new one, never a mix.
// Safe to use from several threads; the calls block on the disk, so the program makes them
// in background jobs.

#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

namespace nolby {

class TokenStore {
public:
    // The item that holds the gateway's session token.
    static constexpr const char* service = "press.nolby.session";
    static constexpr const char* account = "session";

    // A store whose file is `folder`/<service>/<account>.
    explicit TokenStore(std::filesystem::path folder);
    // The store in this user's configuration folder.
    static std::shared_ptr<TokenStore> user();

    const std::filesystem::path& file() const { return file_; }

    // The stored token. Absent when there is none, it cannot be read, it is empty, or its
    // bytes are not UTF-8.
    std::optional<std::string> read() const;
    // Replaces the stored token; false when it could not be written (the token then lives
    // in memory only).
    bool write(const std::string& token);
    // Removes the stored token when it is still `token`, so a late refusal of an old token
    // never removes a newer one. True when it removed it.
    bool eraseIf(const std::string& token);
    void erase();

private:
    std::filesystem::path file_;
    mutable std::mutex mutex_;  // a compare-and-erase is one step for all threads
};

}  // namespace nolby
