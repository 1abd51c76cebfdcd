// Which desktop serves the Linux program, and what it says about the choice.
#include <gtest/gtest.h>

#include <string>

#include "platform/linux_desktop/desktop_choice.h"

namespace {

using platform::linux_desktop::chooseDesktop;
using platform::linux_desktop::Desktop;
using platform::linux_desktop::DesktopFacts;

Desktop choose(const DesktopFacts& facts, std::string* note = nullptr) {
    std::string said;
    Desktop chosen = chooseDesktop(facts, said);
    if (note != nullptr)
        *note = said;
    return chosen;
}

TEST(DesktopChoice, AnX11SessionUsesX11) {
    std::string note;
    EXPECT_EQ(choose({"", false, true, true}, &note), Desktop::X11);
    EXPECT_EQ(note, "desktop: X11");
}

TEST(DesktopChoice, AWaylandSessionPrefersGnomesInterface) {
    std::string note;
    EXPECT_EQ(choose({"", true, true, true}, &note), Desktop::Gnome);
    EXPECT_EQ(note, "desktop: GNOME remote desktop (Wayland)");
}

TEST(DesktopChoice, AWaylandSessionOfferingNeitherFallsBackToX11AndSaysSo) {
    std::string note;
    EXPECT_EQ(choose({"", true, false, false}, &note), Desktop::X11);
    EXPECT_NE(note.find("falling back to X11"), std::string::npos) << note;
}

TEST(DesktopChoice, TheOverrideWinsAndANonsenseOneIsIgnored) {
    EXPECT_EQ(choose({"gnome", false, false, false}), Desktop::Gnome);
    EXPECT_EQ(choose({"x11", true, true, true}), Desktop::X11);
    std::string note;
    EXPECT_EQ(choose({"mir", true, true, false}, &note), Desktop::Gnome);
    EXPECT_NE(note.find("KORVO_DESKTOP=mir"), std::string::npos) << note;
}

TEST(DesktopChoice, AWaylandSessionWithoutGnomesInterfaceTakesThePortal) {
    std::string note;
    EXPECT_EQ(choose({"", true, false, true}, &note), Desktop::Portal);
    EXPECT_EQ(note, "desktop: the desktop portal (Wayland)");
}

}  // namespace
