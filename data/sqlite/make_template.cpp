// hourvane_make_template <schema.sql>... <out.mdb>
//
// Builds the program's empty template database from the schema texts (run
// one after the other, in one transaction) at build time. The database is written to a temporary file beside the output and
// renamed into place only when complete, so an interrupted build never leaves
// a half-made template behind. Exit status 0 on success, 1 on failure (with
// the reason on standard error), 2 for wrong arguments.
#include "data/sqlite/format.h"
#include "data/sqlite/handles.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <system_error>
#include <vector>

namespace {

namespace fs = std::filesystem;
using hv::data::DatabaseHandle;

bool readFile(const fs::path& path, std::string& text)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::ostringstream buffer;
    buffer << in.rdbuf();
    text = buffer.str();
    return static_cast<bool>(in) || in.eof();
}

bool exec(sqlite3* db, const std::string& sql, const char* what)
{
    char* message = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &message) == SQLITE_OK)
        return true;
    std::cerr << "hourvane_make_template: " << what << ": " << (message ? message : sqlite3_errmsg(db)) << '\n';
    sqlite3_free(message);
    return false;
}

bool build(const std::vector<fs::path>& schemaPaths, const fs::path& outPath)
{
    std::vector<std::string> schemas;
    for (const fs::path& schemaPath : schemaPaths) {
        std::string schema;
        if (!readFile(schemaPath, schema)) {
            std::cerr << "hourvane_make_template: cannot read " << schemaPath << '\n';
            return false;
        }
        schemas.push_back(schema);
    }

    // A stale template goes first: a build that fails leaves no template
    // behind rather than an old one that looks current.
    const fs::path tempPath = fs::path(outPath).concat(".tmp");
    std::error_code ignored;
    fs::remove(outPath, ignored);
    fs::remove(tempPath, ignored);
    fs::remove(fs::path(tempPath).concat("-journal"), ignored);

    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(tempPath.string().c_str(), &raw,
                                   SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    DatabaseHandle db(raw);
    if (rc != SQLITE_OK) {
        std::cerr << "hourvane_make_template: cannot create " << tempPath << ": "
                  << (raw ? sqlite3_errmsg(raw) : "out of memory") << '\n';
        return false;
    }
    const std::string marks = "PRAGMA application_id = " + std::to_string(hv::data::format::kApplicationId)
        + "; PRAGMA user_version = " + std::to_string(hv::data::format::kUserVersion) + ";";
    bool made = exec(raw, "PRAGMA journal_mode = DELETE; PRAGMA synchronous = FULL;", "settings")
        && exec(raw, "BEGIN", "begin");
    for (std::size_t i = 0; made && i < schemas.size(); ++i)
        made = exec(raw, schemas[i], schemaPaths[i].string().c_str());
    made = made && exec(raw, marks, "marks") && exec(raw, "COMMIT", "commit") && exec(raw, "VACUUM", "vacuum");
    if (!made || sqlite3_close(db.release()) != SQLITE_OK) {
        fs::remove(tempPath, ignored);
        return false;
    }

    std::error_code error;
    fs::rename(tempPath, outPath, error);
    if (error) {
        std::cerr << "hourvane_make_template: cannot move the template to " << outPath << ": "
                  << error.message() << '\n';
        fs::remove(tempPath, ignored);
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::cerr << "usage: hourvane_make_template <schema.sql>... <out.mdb>\n";
        return 2;
    }
    return build(std::vector<fs::path>(argv + 1, argv + argc - 1), argv[argc - 1]) ? 0 : 1;
}
