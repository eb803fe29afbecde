// bench-click-to-dice: presses and releases mouse button 1 at X,Y (screen coordinates,
// through XTEST, the way a user's click arrives) and prints the milliseconds from the
// release until the pixels of the rectangle RX,RY,RW,RH change; "timeout" after 3 s.
// Usage: bench-click-to-dice X Y RX RY RW RH
#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

namespace {

std::string grab(xcb_connection_t *c, xcb_window_t root, const int r[4])
{
    const xcb_get_image_cookie_t cookie = xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, root, int16_t(r[0]),
                                                        int16_t(r[1]), uint16_t(r[2]), uint16_t(r[3]), ~0u);
    xcb_get_image_reply_t *reply = xcb_get_image_reply(c, cookie, nullptr);
    if (!reply)
        return {};
    const std::string pixels(reinterpret_cast<const char *>(xcb_get_image_data(reply)),
                             std::size_t(xcb_get_image_data_length(reply)));
    std::free(reply);
    return pixels;
}

void button(xcb_connection_t *c, xcb_window_t root, uint8_t type)
{
    xcb_test_fake_input(c, type, 1, XCB_CURRENT_TIME, root, 0, 0, 0);
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 7) {
        std::fprintf(stderr, "usage: bench-click-to-dice X Y RX RY RW RH\n");
        return 2;
    }
    int v[6];
    for (int i = 0; i < 6; ++i)
        v[i] = std::atoi(argv[i + 1]);
    const int *rect = v + 2;
    xcb_connection_t *c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) {
        std::fprintf(stderr, "bench-click-to-dice: no X display\n");
        return 1;
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    xcb_warp_pointer(c, XCB_NONE, root, 0, 0, 0, 0, int16_t(v[0]), int16_t(v[1]));
    xcb_flush(c);
    ::usleep(50000);
    const std::string before = grab(c, root, rect);
    button(c, root, XCB_BUTTON_PRESS);
    button(c, root, XCB_BUTTON_RELEASE);
    xcb_flush(c);
    const auto start = std::chrono::steady_clock::now();
    while (true) {
        const double ms =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        if (grab(c, root, rect) != before) {
            std::printf("%.1f\n", ms);
            break;
        }
        if (ms > 3000) {
            std::printf("timeout\n");
            break;
        }
        ::usleep(500);
    }
    xcb_disconnect(c);
    return 0;
}
