/* Resource ids of the LOMA program file, shared by loma.rc and the C++ code. */
#ifndef LOMA_RESOURCE_IDS_H
#define LOMA_RESOURCE_IDS_H

/* The application icon: group 1 holds the one image 30001. */
#define IDI_APPLICATION_GROUP 1
#define IDI_APPLICATION_IMAGE 30001

/* Pictures of the launcher window, stored as raw data (RT_RCDATA). */
#define IDR_BACKDROP 101
#define IDR_WINDOW_ICON 102
#define IDR_DOWN_FACE 103
#define IDR_UP_FACE 104
#define IDR_COUNTDOWN_NOTICE 105
#define IDR_TITLE_BANNER 106

/* Label fonts, loaded with AddFontMemResourceEx. */
#define IDR_FONT_MING 201
#define IDR_FONT_BLACK 202

#endif
