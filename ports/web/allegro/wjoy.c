/* The joystick driver: the page's game pads (the Gamepad API's standard layout) in joy[]. */
#include <emscripten.h>

#include "allegro.h"
#include "allegro/internal/aintern.h"
#include "allegro/platform/alweb.h"

/* The standard layout's buttons, in the order joy[].button holds them. */
enum { PAD_SOUTH, PAD_EAST, PAD_WEST, PAD_NORTH, PAD_LB, PAD_RB, PAD_LT, PAD_RT, PAD_BACK,
       PAD_START, PAD_LS, PAD_RS, PAD_UP, PAD_DOWN, PAD_LEFT, PAD_RIGHT, PAD_GUIDE, PAD_BUTTONS };
/* joy[].stick: the left stick, the right stick, and the D-pad as a digital stick. */
enum { STICK_LEFT, STICK_RIGHT, STICK_DPAD, PAD_STICKS };

static const char *button_names[PAD_BUTTONS] = {
   "A", "B", "X", "Y", "LB", "RB", "LT", "RT", "Back", "Start", "LS", "RS",
   "Up", "Down", "Left", "Right", "Guide"
};

/* The pads as they are now: a pad connected later takes its slot from then on. Asking the
 * browser for its pads costs more than all the rest of a frame's input, so until a pad has
 * been connected the page asks only every half second, and at once when the browser tells
 * of one. Returns 0 when it did not ask. */
EM_JS(int, web_joy_sample, (int most), {
   var watch = Module.webPadWatch;
   if (!watch) {
      watch = Module.webPadWatch = { known: false, wait: 0 };
      window.addEventListener('gamepadconnected', function() { watch.known = true; });
   }
   if (!watch.known && watch.wait-- > 0)
      return 0;
   watch.wait = 30;
   var pads = navigator.getGamepads ? navigator.getGamepads() : [];
   var seen = Module.webPads = [];
   for (var i = 0; i < most && i < pads.length; i++) {
      var p = pads[i];
      if (!p || !p.connected)
         continue;
      var bits = 0;
      for (var b = 0; b < p.buttons.length && b < 31; b++)
         if (p.buttons[b].pressed)
            bits |= 1 << b;
      watch.known = true;
      seen[i] = { buttons: bits, axes: [0, 1, 2, 3].map(function(a) {
         return a < p.axes.length ? p.axes[a] : 0;
      }) };
   }
   return 1;
});

/* Pad n: whether it is connected, its buttons, and its four axes from -1 to 1 scaled to
 * Allegro's -128 to 127. */
EM_JS(int, web_joy_read, (int n, int *buttons, int *axes), {
   var p = Module.webPads && Module.webPads[n];
   if (!p)
      return 0;
   HEAP32[buttons >> 2] = p.buttons;
   for (var a = 0; a < 4; a++)
      HEAP32[(axes >> 2) + a] = Math.max(-128, Math.min(127, Math.round(p.axes[a] * 128)));
   return 1;
});

static void set_axis(JOYSTICK_AXIS_INFO *axis, int pos)
{
   axis->pos = pos;
   axis->d1 = pos < -64;
   axis->d2 = pos > 64;
}

static void set_stick(JOYSTICK_STICK_INFO *stick, int x, int y)
{
   set_axis(&stick->axis[0], x);
   set_axis(&stick->axis[1], y);
}

/* The D-pad's pairs of buttons as a stick's axis: fully one way, the other, or centred. */
static int digital(int buttons, int less, int more)
{
   return (buttons >> more & 1) * 128 - (buttons >> less & 1) * 128;
}

static void describe(JOYSTICK_INFO *j)
{
   static const char *stick_names[PAD_STICKS] = { "Left stick", "Right stick", "D-pad" };
   int s, b;

   j->flags = JOYFLAG_ANALOGUE | JOYFLAG_DIGITAL;
   j->num_sticks = PAD_STICKS;
   for (s = 0; s < PAD_STICKS; s++) {
      j->stick[s].flags = s == STICK_DPAD ? JOYFLAG_DIGITAL | JOYFLAG_SIGNED
                                          : JOYFLAG_ANALOGUE | JOYFLAG_SIGNED;
      j->stick[s].num_axis = 2;
      j->stick[s].name = stick_names[s];
      j->stick[s].axis[0].name = "X";
      j->stick[s].axis[1].name = "Y";
   }
   j->num_buttons = PAD_BUTTONS;
   for (b = 0; b < PAD_BUTTONS; b++)
      j->button[b].name = button_names[b];
}

/* num_joysticks counts the slots up to the last pad connected; a slot whose pad is gone
 * reads as a pad at rest. Until a pad is first seen, every slot stays at rest as set up. */
static int web_joy_poll(void)
{
   int n, count = 0;

   if (!web_joy_sample(MAX_JOYSTICKS))
      return 0;
   for (n = 0; n < MAX_JOYSTICKS; n++) {
      JOYSTICK_INFO *j = &joy[n];
      int buttons = 0, axes[4] = { 0, 0, 0, 0 }, b;

      if (web_joy_read(n, &buttons, axes))
         count = n + 1;
      set_stick(&j->stick[STICK_LEFT], axes[0], axes[1]);
      set_stick(&j->stick[STICK_RIGHT], axes[2], axes[3]);
      set_stick(&j->stick[STICK_DPAD], digital(buttons, PAD_LEFT, PAD_RIGHT),
                digital(buttons, PAD_UP, PAD_DOWN));
      for (b = 0; b < PAD_BUTTONS; b++)
         j->button[b].b = buttons >> b & 1;
   }
   num_joysticks = count;
   return 0;
}

EM_JS(void, web_joy_forget, (void), {
   Module.webPads = null;
});

/* The game polls only while it knows of a pad; the page looks once a frame (or, with no pad
 * yet, as often as above), so that one connected later comes to be known. */
void web_pump_joystick(void)
{
   if (joystick_driver == &joystick_web)
      web_joy_poll();
}

/* Installed with no pad as well: one may be connected at any time. */
static int web_joy_init(void)
{
   int n;

   for (n = 0; n < MAX_JOYSTICKS; n++)
      describe(&joy[n]);
   num_joysticks = 0;
   return 0;
}

static void web_joy_exit(void)
{
   web_joy_forget();
}

JOYSTICK_DRIVER joystick_web = {
   JOYSTICK_WEB,
   empty_string,
   empty_string,
   "Browser game pads",
   web_joy_init,
   web_joy_exit,
   web_joy_poll,
   NULL, /* save_data */
   NULL, /* load_data */
   NULL, /* calibrate_name */
   NULL  /* calibrate */
};
