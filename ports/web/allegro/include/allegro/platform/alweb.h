/* The browser's Allegro drivers, and what the game's platform file calls once a frame. */
#ifndef ALWEB_H
#define ALWEB_H

#include "allegro.h"

#ifdef __cplusplus
extern "C" {
#endif

#define SYSTEM_WEB   AL_ID('W','E','B','S')
#define GFX_WEB      AL_ID('W','E','B','G')
#define KEYBOARD_WEB AL_ID('W','E','B','K')
#define MOUSE_WEB    AL_ID('W','E','B','M')
#define TIMER_WEB    AL_ID('W','E','B','T')
#define DIGI_WEB     AL_ID('W','E','B','D')
#define JOYSTICK_WEB AL_ID('W','E','B','J')

extern SYSTEM_DRIVER system_web;
extern GFX_DRIVER gfx_web;
extern KEYBOARD_DRIVER keyboard_web;
extern MOUSE_DRIVER mouse_web;
extern TIMER_DRIVER timer_web;
extern DIGI_DRIVER digi_web;
extern JOYSTICK_DRIVER joystick_web;

/* The picture the page shows: the screen bitmap copied to the page's canvas. */
void web_show_screen(void);
/* Key events that came since the last call, into Allegro's key array and buffer. */
void web_pump_keyboard(void);
/* Reads the game pads into joy[] and num_joysticks, so that a pad connected later is seen. */
void web_pump_joystick(void);
/* Runs the installed timer handlers for the browser time gone since the last call;
 * time spent in a hidden tab does not count. */
void web_pump_timer(void);
/* Mixes enough sound ahead of the page's audio clock. */
void web_pump_sound(void);

#ifdef __cplusplus
}
#endif

#endif
