/* The graphics driver: the screen is a plain 32-bit bitmap in memory, whose pixels the page
 * copies to its canvas once a frame. */
#include <stdlib.h>

#include <emscripten.h>

#include "allegro.h"
#include "allegro/internal/aintern.h"
#include "allegro/platform/alweb.h"

static void *pixels; /* the screen's memory */

static BITMAP *web_gfx_init(int w, int h, int v_w, int v_h, int color_depth)
{
   BITMAP *b;

   if (color_depth != 32) {
      ustrzcpy(allegro_error, ALLEGRO_ERROR_SIZE, get_config_text("Unsupported color depth"));
      return NULL;
   }
   if (v_w < w)
      v_w = w;
   if (v_h < h)
      v_h = h;
   pixels = calloc((size_t)v_w * v_h, 4);
   if (!pixels) {
      ustrzcpy(allegro_error, ALLEGRO_ERROR_SIZE, get_config_text("Not enough memory"));
      return NULL;
   }
   b = _make_bitmap(v_w, v_h, (uintptr_t)pixels, &gfx_web, color_depth, v_w * 4);
   if (!b) {
      free(pixels);
      pixels = NULL;
      ustrzcpy(allegro_error, ALLEGRO_ERROR_SIZE, get_config_text("Not enough memory"));
      return NULL;
   }
   gfx_web.w = b->cr = w;
   gfx_web.h = b->cb = h;
   return b;
}

static void web_gfx_exit(BITMAP *b)
{
   (void)b;
   free(pixels);
   pixels = NULL;
}

/* Allegro's 32-bit pixels are 0x00RRGGBB words; the canvas wants R, G, B, A bytes. */
EM_JS(void, web_put_pixels, (const unsigned char *src, int w, int h, int pitch), {
   var c = document.getElementById('screen');
   if (!c)
      return;
   var s = Module.webScreen;
   if (!s || s.canvas !== c || s.image.width !== w || s.image.height !== h) {
      if (c.width !== w || c.height !== h) {
         c.width = w;
         c.height = h;
      }
      var ctx = c.getContext('2d', { alpha: false });
      s = Module.webScreen = { canvas: c, ctx: ctx, image: ctx.createImageData(w, h) };
   }
   var d = s.image.data;
   var i = 0;
   for (var y = 0; y < h; y++) {
      var p = src + y * pitch;
      for (var x = 0; x < w; x++, p += 4, i += 4) {
         d[i] = HEAPU8[p + 2];
         d[i + 1] = HEAPU8[p + 1];
         d[i + 2] = HEAPU8[p];
         d[i + 3] = 255;
      }
   }
   s.ctx.putImageData(s.image, 0, 0);
});

void web_show_screen(void)
{
   if (screen && pixels)
      web_put_pixels(pixels, gfx_web.w, gfx_web.h, screen->w * 4);
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
