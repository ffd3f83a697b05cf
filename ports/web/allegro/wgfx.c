/* The graphics driver: the screen is a plain 32-bit bitmap in memory, whose pixels go to the
 * page's canvas once a frame. */
#include <stdlib.h>
#include <string.h>

#include <emscripten.h>

#include "allegro.h"
#include "allegro/internal/aintern.h"
#include "allegro/platform/alweb.h"

static void *pixels;    /* the screen's memory */
static uint32_t *shown; /* the visible part of it as the canvas's R, G, B, A bytes */
static int fresh;       /* the canvas has not been given a frame of this screen yet */

static void web_gfx_exit(BITMAP *b)
{
   (void)b;
   free(pixels);
   free(shown);
   pixels = NULL;
   shown = NULL;
}

static BITMAP *web_gfx_init(int w, int h, int v_w, int v_h, int color_depth)
{
   BITMAP *b = NULL;

   if (color_depth != 32) {
      ustrzcpy(allegro_error, ALLEGRO_ERROR_SIZE, get_config_text("Unsupported color depth"));
      return NULL;
   }
   /* The picture goes to the canvas two pixels at a time. */
   if (w % 2) {
      ustrzcpy(allegro_error, ALLEGRO_ERROR_SIZE, get_config_text("Unsupported screen size"));
      return NULL;
   }
   if (v_w < w)
      v_w = w;
   if (v_h < h)
      v_h = h;
   pixels = calloc((size_t)v_w * v_h, 4);
   shown = malloc((size_t)w * h * 4);
   if (pixels && shown)
      b = _make_bitmap(v_w, v_h, (uintptr_t)pixels, &gfx_web, color_depth, v_w * 4);
   if (!b) {
      web_gfx_exit(NULL);
      ustrzcpy(allegro_error, ALLEGRO_ERROR_SIZE, get_config_text("Not enough memory"));
      return NULL;
   }
   gfx_web.w = b->cr = w;
   gfx_web.h = b->cb = h;
   fresh = TRUE;
   return b;
}

/* The image put is a view of the picture where it lies in the module's memory, so the page
 * copies nothing itself; a memory that has grown is a new buffer, and the view is made again.
 * The canvas is kept in memory: its whole picture is put every frame, which WebKit's
 * accelerated canvas took some 6 ms a frame to take. */
EM_JS(void, web_put_image, (const void *rgba, int w, int h), {
   var s = Module.webScreen;
   if (!s || !s.canvas.isConnected || s.rgba !== rgba || s.image.width !== w ||
       s.image.height !== h || s.image.data.buffer !== HEAPU8.buffer) {
      var c = document.getElementById('screen');
      if (!c)
         return;
      if (c.width !== w || c.height !== h) {
         c.width = w;
         c.height = h;
      }
      var view = new Uint8ClampedArray(HEAPU8.buffer, rgba, w * h * 4);
      s = Module.webScreen = { canvas: c, rgba: rgba, image: new ImageData(view, w, h),
                               ctx: c.getContext('2d', { alpha: false,
                                                         willReadFrequently: true }) };
   }
   s.ctx.putImageData(s.image, 0, 0);
});

/* Allegro's 32-bit pixels are 0x00RRGGBB words; the canvas wants R, G, B, A bytes, which a
 * little-endian word holds as 0xAABBGGRR. Two pixels are turned at a time, as one 64-bit
 * word. A frame the same as the one shown is not handed to the canvas again: the browser then
 * has nothing to paint. */
void web_show_screen(void)
{
   const uint64_t LOW = 0x000000FF000000FFull, GREEN = 0x0000FF000000FF00ull;
   const uint64_t OPAQUE = 0xFF000000FF000000ull;
   int x, y, w = gfx_web.w, h = gfx_web.h;
   unsigned char *to = (unsigned char *)shown;
   uint64_t differ = fresh;

   if (!screen || !pixels)
      return;
   for (y = 0; y < h; y++) {
      const unsigned char *from = screen->line[y];
      for (x = 0; x < w * 4; x += 8, to += 8) {
         uint64_t v, c, was;
         memcpy(&v, from + x, 8);
         c = OPAQUE | (v & LOW) << 16 | (v & GREEN) | (v >> 16 & LOW);
         memcpy(&was, to, 8);
         differ |= was ^ c;
         memcpy(to, &c, 8);
      }
   }
   if (differ)
      web_put_image(shown, w, h);
   fresh = FALSE;
}

GFX_DRIVER gfx_web = {
   GFX_WEB,
   empty_string,
   empty_string,
   "Browser canvas",
   web_gfx_init,
   web_gfx_exit,
   NULL, /* scroll */
   NULL, /* vsync */
   NULL, /* set_palette */
   NULL, /* request_scroll */
   NULL, /* poll_scroll */
   NULL, /* enable_triple_buffer */
   NULL, /* create_video_bitmap */
   NULL, /* destroy_video_bitmap */
   NULL, /* show_video_bitmap */
   NULL, /* request_video_bitmap */
   NULL, /* create_system_bitmap */
   NULL, /* destroy_system_bitmap */
   NULL, /* set_mouse_sprite */
   NULL, /* show_mouse */
   NULL, /* hide_mouse */
   NULL, /* move_mouse */
   NULL, /* drawing_mode */
   NULL, /* save_video_state */
   NULL, /* restore_video_state */
   NULL, /* set_blender_mode */
   NULL, /* fetch_mode_list */
   0, 0, /* physical screen size */
   TRUE, /* linear */
   0,    /* bank size */
   0,    /* bank granularity */
   0,    /* video memory size */
   0,    /* video memory address */
   FALSE /* windowed: the page is the whole screen */
};
