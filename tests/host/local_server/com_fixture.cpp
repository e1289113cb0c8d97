#include "tests/host/local_server/com_fixture.h"

#include <bit>
#include <cstdio>

#include "core/text.h"
#include "sim/part_program_file.h"

namespace dravosk::host::test {

using sim::server::test::Finished;
using sim::server::test::runServer;
using sim::server::test::ServerProcess;

Command feature(sim::Value id, Vector theo, Vector ist, Vector ziel) {
    Command c;
    c.isFeature = true;
    c.id = std::move(id);
    c.vectors = {theo, ist, ziel};
    return c;
}

Command feature(sim::Value id) {
    return feature(std::move(id), {1, 2, 3}, {4, 5, 6}, {7, 8, 9});
}

Command command(sim::Value isFeature, sim::Value id) {
    Command c = feature(std::move(id));
    c.isFeature = std::move(isFeature);
    return c;
}

Command nonFeature(sim::Value isFeature, sim::Value id) {
    Command c;
    c.isFeature = std::move(isFeature);
    c.id = std::move(id);
    c.label = u"Ausrichtung";
    return c;
}

std::string utf8(std::u16string_view text) {
    return toUtf8(text);
}

std::uint64_t bits(double value) {
    return std::bit_cast<std::uint64_t>(value);
}

Vector negated(const Vector& v) {
    return {-v[0], -v[1], -v[2]};
}

void expectSameBits(const Vector& actual, const Vector& expected, const std::string& what) {
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(bits(actual[i]), bits(expected[i]))
            << what << ", component " << i << ": " << actual[i] << " instead of " << expected[i];
    }
}

void ComCommandsTest::SetUpTestSuite() {
    const Finished registered = runServer(L"/regserver");
    ASSERT_EQ(registered.exitCode, 0u) << registered.output;
}

void ComCommandsTest::SetUp() {
    apartment_ = std::make_unique<Apartment>();
}

void ComCommandsTest::TearDown() {
    server_.reset();
    apartment_.reset();
    std::error_code ignored;
    for (const wchar_t* stem : {L"program.json", L"saved.json"}) {
        std::filesystem::remove(std::filesystem::path(file(stem)), ignored);
    }
}

std::wstring ComCommandsTest::file(const wchar_t* stem) const {
    wchar_t directory[MAX_PATH];
    GetTempPathW(MAX_PATH, directory);
    return std::wstring(directory) + L"dravosk-com-test-" + std::to_wstring(GetCurrentProcessId()) +
           L"-" + stem;
}

void ComCommandsTest::writeProgram(const PartProgram& program) {
    sim::savePartProgram(program, std::filesystem::path(file(L"program.json")));
}

void ComCommandsTest::start(const PartProgram& program) {
    writeProgram(program);
    server_.reset();
    server_ = std::make_unique<ServerProcess>(
        file(L"program.json"), L"dravosk-com-test-" + std::to_wstring(GetCurrentProcessId()));
    ASSERT_TRUE(server_->started());
}

void ComCommandsTest::load(const PartProgram& program) {
    writeProgram(program);
    const std::wstring path = file(L"program.json");
    server_->lines("load " + utf8(std::u16string(path.begin(), path.end())));
}

PartProgram ComCommandsTest::hostProgram() {
    const std::wstring path = file(L"saved.json");
    std::filesystem::remove(std::filesystem::path(path));
    server_->lines("save " + utf8(std::u16string(path.begin(), path.end())));
    std::optional<PartProgram> program = sim::loadPartProgram(std::filesystem::path(path));
    if (!program) {
        ADD_FAILURE() << "the server has no part program";
        return {};
    }
    return *program;
}

std::vector<std::string> ComCommandsTest::calls() {
    return server_->lines("calls");
}

long ComCommandsTest::count(const std::string& prefix) {
    long n = 0;
    for (const std::string& line : calls()) {
        n += line.starts_with(prefix) ? 1 : 0;
    }
    return n;
}

long ComCommandsTest::roundTrips(const std::string& key) {
    const std::string prefix = "roundtrip " + key + " ";
    for (const std::string& line : calls()) {
        if (line.starts_with(prefix)) {
            return std::stol(line.substr(prefix.size()));
        }
    }
    return 0;
}

void ComCommandsTest::expectNoLiveObjects() {
    long live = -1;
    for (int attempt = 0; attempt < 100 && live != 0; ++attempt) {
        live = server_->live();
        if (live != 0) {
            Sleep(20);
        }
    }
    EXPECT_EQ(live, 0) << "objects the tool did not release";
}

void ComCommandsTest::mark(std::u16string_view text) {
    bool found = false;
    for (Int16 i = 0; i < list_.count(); ++i) {
        if (list_.text(i) == text) {
            list_.setMarked(i, true);
            found = true;
        }
    }
    EXPECT_TRUE(found) << utf8(text) << " is not listed";
}

std::vector<std::u16string> ComCommandsTest::entries() const {
    std::vector<std::u16string> result;
    for (Int16 i = 0; i < list_.count(); ++i) {
        result.push_back(list_.text(i));
    }
    return result;
}

}  // namespace dravosk::host::test
