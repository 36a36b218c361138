#include "doubles.h"

#include <unistd.h>

#include <atomic>
#include <sstream>
#include <stdexcept>

#include "game/dump.h"

namespace swtest {

FakePlatform::FakePlatform() {
    static std::atomic<int> counter{0};
    dir = std::filesystem::temp_directory_path() /
          ("sevenwell-test-" + std::to_string(getpid()) + "-" + std::to_string(counter++));
    std::filesystem::create_directories(dir);
}

FakePlatform::~FakePlatform() {
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
}

void FakePlatform::WriteScore(const std::string& text) const {
    std::ofstream(dir / "score.ini", std::ios::binary) << text;
}

std::string FakePlatform::ReadScore() const {
    std::ifstream in(dir / "score.ini", std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void Game::Load() {
    if (!std::filesystem::exists(plat.dir / "score.ini")) {
        plat.WriteScore("000000000\r\n000000000\r\n");
    }
    form.Form_Load();
}

std::string Well(const std::string& rows) {
    const bool top = !rows.empty() && rows[0] == '^';
    std::vector<std::string> all;
    std::stringstream in(rows.substr(top ? 1 : 0));
    for (std::string row; std::getline(in, row, '/');) all.push_back(row);
    all.insert(top ? all.end() : all.begin(), sw::kRows - all.size(), ".......");
    std::string joined;
    for (const auto& row : all) joined += (joined.empty() ? "" : "/") + row;
    return joined;
}

void SetWell(sw::Form1& f, const std::string& rows) {
    const std::string all = Well(rows);
    for (int y = 0; y < sw::kRows; ++y)
        for (int x = 0; x < sw::kCols; ++x) {
            const char c = all.at(y * 8 + x);
            f.StrBlock(x, y) = c == '.' ? "" : std::string(1, c);
            f.StrDelFlg(x, y) = "";
        }
}

static std::string Rows(const sw::Grid& g, bool marks) {
    std::string rows;
    for (int y = 0; y < sw::kRows; ++y) {
        rows += y ? "/" : "";
        for (int x = 0; x < sw::kCols; ++x)
            rows += marks ? (g(x, y) == "1" ? 'x' : '.') : g(x, y).empty() ? '.' : g(x, y)[0];
    }
    return rows;
}
std::string WellRows(const sw::Grid& g) {
    return Rows(g, false);
}
std::string MarkRows(const sw::Grid& g) {
    return Rows(g, true);
}

void Set(sw::GameState& s, const std::string& assignments) {
    std::istringstream in(assignments);
    for (std::string a; in >> a;) {
        const size_t eq = a.find('=');
        if (eq == std::string::npos || !sw::SetField(s, a.substr(0, eq), a.substr(eq + 1)))
            throw std::invalid_argument("cannot set " + a);
    }
}

void Set(sw::GameState& s, const std::string& names, const std::string& values) {
    std::istringstream n(names), v(values);
    for (std::string name, value; n >> name && v >> value;) Set(s, name + "=" + value);
}

std::string Pick(const sw::GameState& s, const std::string& names) {
    const std::string dump = "\n" + sw::DumpRecord(s);
    std::istringstream in(names);
    std::string picked;
    for (std::string name; in >> name;) {
        const size_t at = dump.find("\n" + name + "=");
        if (at == std::string::npos) throw std::invalid_argument("no field " + name);
        const size_t from = at + name.size() + 2;
        picked += (picked.empty() ? "" : " ") + dump.substr(from, dump.find('\n', from) - from);
    }
    return picked;
}

std::string Calls(const std::vector<std::string>& calls) {
    std::string all;
    for (const auto& c : calls) all += (all.empty() ? "" : "|") + c;
    return all;
}

}  // namespace swtest
