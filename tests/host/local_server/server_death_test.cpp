// The host process dies while a command runs: the next call, or the call under way, fails at once
// with the platform's number, and a new host serves the next command.
#include <string>
#include <vector>

#include "tests/host/local_server/com_fixture.h"
#include "tests/support/written.h"

namespace dravosk::host::test {
namespace {

using dravosk::test::changed;

const PartProgram kTwoFeatures{u"Prüfteil",
                               {feature(u"P1", {1, 2, 3}, {4, 5, 6}, {7, 8, 9}),
                                feature(u"P2", {-1, 0, 1}, {2, 2, 2}, {3, 3, 3})}};

// The numbers with which COM reports a server that went away.
bool isServerGone(std::int32_t number) {
    switch (static_cast<std::uint32_t>(number)) {
        case 0x800706BAu:  // RPC server unavailable
        case 0x800706BEu:  // remote procedure call failed
        case 0x80010108u:  // RPC_E_DISCONNECTED
        case 0x80010007u:  // RPC_E_SERVER_DIED
        case 0x80010012u:  // RPC_E_SERVER_DIED_DNE
            return true;
        default:
            return false;
    }
}

// The window's states, except that reading a check box the first time kills the host: Write
// reads them between its GetVector and PutVector calls.
class StatesThatKillTheHost final : public ControlStates {
  public:
    StatesThatKillTheHost(sim::MemoryControlStates& states, dravosk::test::SimServer& server)
        : states_(states), server_(server) {}

    void setEnabled(Button button, bool enabled) override { states_.setEnabled(button, enabled); }
    int checkState(CheckBox box) const override {
        if (!killed_) {
            killed_ = true;
            // Withdrawn first: Wine's rpcss would keep a killed server's class object.
            EXPECT_TRUE(server_.control("revoke").ok);
            server_.kill();
        }
        return states_.checkState(box);
    }
    void showMessage(std::u16string_view text) override { states_.showMessage(text); }

  private:
    sim::MemoryControlStates& states_;
    dravosk::test::SimServer& server_;
    mutable bool killed_ = false;
};

class ComServerDeathTest : public ComCommandsTest {
  protected:
    void expectListKept() {
        EXPECT_EQ(entries(), (std::vector<std::u16string>{u"P1", u"P2"}));
        EXPECT_TRUE(states_.messages.empty());
        EXPECT_TRUE(states_.isEnabled(Button::schreiben));
    }

    // A new server takes the class over and the next command runs normally.
    void expectNextCommandServed() {
        start(kTwoFeatures);
        list_.clear();
        read();
        EXPECT_EQ(entries(), (std::vector<std::u16string>{u"P1", u"P2"}));
        expectNoLiveObjects();
    }
};

TEST_F(ComServerDeathTest, HostKilledBetweenTwoCallsFailsTheNextCallAtOnce) {
    start(kTwoFeatures);
    read();
    markAll(list_);
    StatesThatKillTheHost states(states_, *server_);

    const Error e = failure([&] { write(states); });
    EXPECT_TRUE(isServerGone(e.number())) << e.what();
    EXPECT_FALSE(e.description().empty());
    EXPECT_EQ(e.where(), u"Befehl 1: Merkmal \"P1\", Datensatz 2: PutVector");
    EXPECT_TRUE(changed(written()).empty());
    expectListKept();

    expectNextCommandServed();
}

TEST_F(ComServerDeathTest, HostDyingDuringACallOfWriteFailsThatCall) {
    start(kTwoFeatures);
    read();
    markAll(list_);
    // P1 takes three GetVector calls; the host dies while serving P2's first.
    server_->lines("crash GetVector 4");

    const Error e = failure([&] { write(); });
    EXPECT_TRUE(isServerGone(e.number())) << e.what();
    EXPECT_FALSE(e.description().empty());
    EXPECT_EQ(e.where(), u"Befehl 2: Merkmal \"P2\", Datensatz 2: GetVector");
    EXPECT_EQ(changed(written()), std::vector<std::u16string>{u"P1"});
    expectListKept();
    EXPECT_TRUE(server_->waitForExit(10000));

    expectNextCommandServed();
}

TEST_F(ComServerDeathTest, HostDyingDuringACallOfReadFailsThatCall) {
    start(kTwoFeatures);
    server_->lines("crash ID 2");

    const Error e = failure([&] { read(); });
    EXPECT_TRUE(isServerGone(e.number())) << e.what();
    EXPECT_EQ(e.where(), u"Befehl 2: ID");
    EXPECT_TRUE(server_->waitForExit(10000));

    expectNextCommandServed();
}

}  // namespace
}  // namespace dravosk::host::test
