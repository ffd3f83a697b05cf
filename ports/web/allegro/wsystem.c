/* The system driver: a page has no console, no window title of Allegro's and one desktop,
 * the size of the page's canvas. */
#include <stdio.h>

#include <emscripten.h>

#include "allegro.h"
#include "allegro/internal/aintern.h"
#include "allegro/platform/alweb.h"

EM_JS(int, web_canvas_size, (int *w, int *h), {
   var c = document.getElementById('screen');
   if (!c)
      return -1;
   HEAP32[w >> 2] = c.width;
   HEAP32[h >> 2] = c.height;
   return 0;
});

EM_JS(void, web_message, (const char *msg), {
   console.log(UTF8ToString(msg));
});

static int web_sys_init(void)
{
   os_type = OSTYPE_UNIX;
   return 0;
}

static void web_sys_exit(void)
{
}

static void web_sys_message(AL_CONST char *msg)
{
   char buf[1024];
   do_uconvert(msg, U_CURRENT, buf, U_ASCII, sizeof buf);
   web_message(buf);
}

static int web_desktop_color_depth(void)
{
   return 32;
}

/* The canvas is the desktop: the page sizes the picture on the screen, not Allegro. */
static int web_get_desktop_resolution(int *width, int *height)
{
   return web_canvas_size(width, height);
}

static void web_get_gfx_safe_mode(int *driver, struct GFX_MODE *mode)
{
   *driver = GFX_WEB;
   mode->width = 160;
   mode->height = 120;
   mode->bpp = 32;
}

SYSTEM_DRIVER system_web = {
   SYSTEM_WEB,
   empty_string,
   empty_string,
   "Browser",
   web_sys_init,
   web_sys_exit,
   NULL, /* get_executable_name */
   NULL, /* find_resource */
   NULL, /* set_window_title: the page keeps its own */
   NULL, /* set_close_button_callback */
   web_sys_message,
   NULL, /* assert */
   NULL, /* save_console_state */
   NULL, /* restore_console_state */
   NULL, /* create_bitmap */
   NULL, /* created_bitmap */
   NULL, /* create_sub_bitmap */
   NULL, /* created_sub_bitmap */
   NULL, /* destroy_bitmap */
   NULL, /* read_hardware_palette */
   NULL, /* set_palette_range */
   NULL, /* get_vtable */
   NULL, /* set_display_switch_mode */
   NULL, /* display_switch_lock */
   web_desktop_color_depth,
   web_get_desktop_resolution,
   web_get_gfx_safe_mode,
   NULL, /* yield_timeslice */
   NULL, /* create_mutex */
   NULL, /* destroy_mutex */
   NULL, /* lock_mutex */
   NULL, /* unlock_mutex */
   NULL, /* gfx_drivers */
   NULL, /* digi_drivers */
   NULL, /* midi_drivers */
   NULL, /* keyboard_drivers */
   NULL, /* mouse_drivers */
   NULL, /* joystick_drivers */
   NULL  /* timer_drivers */
};
