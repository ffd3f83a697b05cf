/* The keyboard driver: the page's key events, queued as they come and handed to Allegro's
 * key array and key buffer once a frame, between the game's passes. */
#include <string.h>

#include <emscripten.h>

#include "allegro.h"
#include "allegro/internal/aintern.h"
#include "allegro/platform/alweb.h"

/* The page's physical key names (KeyboardEvent.code) for Allegro's scancodes. */
static const struct { const char *code; int scancode; } keymap[] = {
   { "Escape", KEY_ESC }, { "Space", KEY_SPACE }, { "Enter", KEY_ENTER },
   { "NumpadEnter", KEY_ENTER_PAD }, { "Backspace", KEY_BACKSPACE }, { "Tab", KEY_TAB },
   { "ArrowLeft", KEY_LEFT }, { "ArrowRight", KEY_RIGHT }, { "ArrowUp", KEY_UP },
   { "ArrowDown", KEY_DOWN }, { "Insert", KEY_INSERT }, { "Delete", KEY_DEL },
   { "Home", KEY_HOME }, { "End", KEY_END }, { "PageUp", KEY_PGUP }, { "PageDown", KEY_PGDN },
   { "ShiftLeft", KEY_LSHIFT }, { "ShiftRight", KEY_RSHIFT }, { "ControlLeft", KEY_LCONTROL },
   { "ControlRight", KEY_RCONTROL }, { "AltLeft", KEY_ALT }, { "AltRight", KEY_ALTGR },
   { "Backquote", KEY_TILDE }, { "Minus", KEY_MINUS }, { "Equal", KEY_EQUALS },
   { "BracketLeft", KEY_OPENBRACE }, { "BracketRight", KEY_CLOSEBRACE },
   { "Semicolon", KEY_COLON }, { "Quote", KEY_QUOTE }, { "Backslash", KEY_BACKSLASH },
   { "IntlBackslash", KEY_BACKSLASH2 }, { "Comma", KEY_COMMA }, { "Period", KEY_STOP },
   { "Slash", KEY_SLASH },
};

static int scancode(const char *code)
{
   size_t i;

   if (strncmp(code, "Key", 3) == 0 && code[3] >= 'A' && code[3] <= 'Z' && !code[4])
      return KEY_A + code[3] - 'A';
   if (strncmp(code, "Digit", 5) == 0 && code[5] >= '0' && code[5] <= '9' && !code[6])
      return KEY_0 + code[5] - '0';
   if (strncmp(code, "Numpad", 6) == 0 && code[6] >= '0' && code[6] <= '9' && !code[7])
      return KEY_0_PAD + code[6] - '0';
   if (code[0] == 'F' && code[1] >= '1' && code[1] <= '9') {
      int n = code[1] - '0';
      if (code[2] >= '0' && code[2] <= '2' && !code[3])
         n = n * 10 + code[2] - '0';
      else if (code[2])
         return 0;
      return n <= 12 ? KEY_F1 + n - 1 : 0;
   }
   for (i = 0; i < sizeof keymap / sizeof keymap[0]; i++)
      if (strcmp(code, keymap[i].code) == 0)
         return keymap[i].scancode;
   return 0;
}

/* Listening on the window, so keys reach the game without a click first. The keys the
 * game may use do not scroll the page; function keys and shortcuts stay the browser's. */
EM_JS(void, web_key_listen, (void), {
   var k = Module.webKeys = { queue: [], held: {} };
   var own = function(e) {
      return !e.ctrlKey && !e.metaKey && !/^F[0-9]+$/.test(e.code);
   };
   var ascii = function(e) {
      if (e.key.length === 1)
         return e.key.charCodeAt(0);
      return { Enter: 13, Escape: 27, Backspace: 8, Tab: 9 }[e.key] || 0;
   };
   k.down = function(e) {
      if (own(e))
         e.preventDefault();
      if (e.repeat)
         return;
      k.held[e.code] = true;
      k.queue.push([e.code, ascii(e), 1]);
   };
   k.up = function(e) {
      if (own(e))
         e.preventDefault();
      delete k.held[e.code];
      k.queue.push([e.code, 0, 0]);
   };
   k.blur = function() {
      for (var code in k.held)
         k.queue.push([code, 0, 0]);
      k.held = {};
   };
   window.addEventListener('keydown', k.down);
   window.addEventListener('keyup', k.up);
   window.addEventListener('blur', k.blur);
});

EM_JS(void, web_key_unlisten, (void), {
   var k = Module.webKeys;
   if (!k)
      return;
   window.removeEventListener('keydown', k.down);
   window.removeEventListener('keyup', k.up);
   window.removeEventListener('blur', k.blur);
   Module.webKeys = null;
});

/* The oldest queued event: its code into buf, its character and whether it is a press. */
EM_JS(int, web_key_next, (char *buf, int size, int *ascii, int *down), {
   var k = Module.webKeys;
   if (!k || !k.queue.length)
      return 0;
   var e = k.queue.shift();
   stringToUTF8(e[0], buf, size);
   HEAP32[ascii >> 2] = e[1];
   HEAP32[down >> 2] = e[2];
   return 1;
});

void web_pump_keyboard(void)
{
   char code[32];
   int ascii, down;

   if (!keyboard_driver || keyboard_driver != &keyboard_web)
      return;
   while (web_key_next(code, sizeof code, &ascii, &down)) {
      int sc = scancode(code);
      if (down)
         _handle_key_press(ascii ? ascii : (sc ? 0 : -1), sc);
      else if (sc)
         _handle_key_release(sc);
   }
}

static int web_key_init(void)
{
   web_key_listen();
   return 0;
}

static void web_key_exit(void)
{
   web_key_unlisten();
}

KEYBOARD_DRIVER keyboard_web = {
   KEYBOARD_WEB,
   empty_string,
   empty_string,
   "Browser keyboard",
   TRUE, /* no simulated repeats: the game acts on presses, never on repeats */
   web_key_init,
   web_key_exit,
   NULL, /* poll */
   NULL, /* set_leds */
   NULL, /* set_rate */
   NULL, /* wait_for_input */
   NULL, /* stop_waiting_for_input */
   NULL, /* scancode_to_ascii */
   NULL  /* scancode_to_name */
};
