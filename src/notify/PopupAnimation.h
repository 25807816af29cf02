#pragma once

#include <QtGlobal>

#include <optional>

class ScreenMetrics;

// The popup's position, size and fade, in twips, from loading through the slide-in, the rest
// and the slide-out. The window is a thin shell: it calls slideIn() on every move-timer tick
// and slideOut() on every unload-timer tick, and applies what comes back.
//
// At load the popup has height 0 with its top at the bottom edge of the screen and its right
// edge 17 pixels in from the right side. Sliding in, each tick grows it by 40 twips upward
// from the resting line (BaseOffset above the bottom of the screen), applying the fade level
// and raising it by 10; once the top has reached the picture's height above the resting line
// it takes the picture's height and stops. Sliding out shrinks it by 40 twips a tick while the
// fade level falls by 10, then takes a last step down and unloads. With the 930-twip picture
// that is 24 growth ticks at opacity 0, 10, ... 230 and an arrival tick (the top then rests 30
// twips above the exact line), then 23 shrinking ticks at 240, 230, ... 20, one last step and
// the unload.
class PopupAnimation
{
public:
    static constexpr int PictureWidth = 5385; // twips (359 pixels)
    static constexpr int PictureHeight = 930; // twips (62 pixels)
    static constexpr int StepTwips = 40;
    static constexpr int FadeStep = 10;
    static constexpr int RightMarginPixels = 17;

    // What one tick does to the window.
    struct Tick
    {
        int top = 0;                // twips from the top of the screen
        int height = 0;             // twips
        std::optional<int> opacity; // level 0-255 to apply now; none: leave it as it is
        bool arrived = false;       // slide-in finished: stop the move timer
        bool unload = false;        // slide-out finished: close the popup
    };

    // Height of the band that a bottom taskbar takes, in pixels: the screen's bottom edge minus
    // the work area's bottom edge; 0 without one.
    static int taskbarHeight(const ScreenMetrics &screen);
    // The resting offset: (taskbar height - 2) x vertical twips per pixel, as a 16-bit number,
    // so the bottom edge rests 2 pixels below the top of the taskbar band.
    static qint16 restingOffset(const ScreenMetrics &screen);

    // Loads the popup on the given screen with its resting offset.
    explicit PopupAnimation(const ScreenMetrics &screen);
    PopupAnimation(const ScreenMetrics &screen, qint16 baseOffset);

    int left() const { return m_left; }
    int top() const { return m_top; }
    int width() const { return m_width; }
    int height() const { return m_height; }
    int fadeLevel() const { return m_fade; }
    qint16 baseOffset() const { return m_baseOffset; }
    int screenHeight() const { return m_screenHeight; }

    // One tick of the move timer.
    Tick slideIn();
    // One tick of the unload timer.
    Tick slideOut();

private:
    Tick current() const;

    int m_screenHeight = 0; // twips
    qint16 m_baseOffset = 0;
    int m_left = 0;
    int m_top = 0;
    int m_width = PictureWidth;
    int m_height = 0;
    int m_fade = 0;
};
