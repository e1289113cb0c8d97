#include "tests/host/local_server/com_fixture.h"

#include <filesystem>

#include "core/text.h"
#include "sim/part_program_file.h"
#include "tests/support/korvane_sim_path.h"

namespace dravosk::host::test {

using dravosk::test::korvaneSimPath;
using dravosk::test::SimServer;

std::string utf8(std::u16string_view text) {
    return toUtf8(text);
}

void ComCommandsTest::SetUpTestSuite() {
    const dravosk::test::Finished registered = dravosk::test::runServer(L"/regserver");
    ASSERT_EQ(registered.exitCode, 0u) << registered.output;
}

void ComCommandsTest::SetUp() {
    apartment_ = std::make_unique<Apartment>();
    program_.emplace(L"program.json");
}

void ComCommandsTest::TearDown() {
    server_.reset();
    apartment_.reset();
    program_.reset();
}

void ComCommandsTest::writeProgram(const PartProgram& program) {
    sim::savePartProgram(program, std::filesystem::path(program_->path()));
}

void ComCommandsTest::start(const PartProgram& program) {
    writeProgram(program);
    server_.reset();
    server_ = std::make_unique<SimServer>(
        korvaneSimPath(), program_->path(),
        L"dravosk-com-test-" + std::to_wstring(GetCurrentProcessId()), SimServer::Window::hidden);
    ASSERT_TRUE(server_->ready());
}

void ComCommandsTest::load(const PartProgram& program) {
    writeProgram(program);
    server_->lines("load " + program_->utf8Path());
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
    // What a failure left for later goes first, as the window lets it go once the failure is
    // reported.
    service_.releaseDeferred();
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

}  // namespace dravosk::host::test
