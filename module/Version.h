/* The module's version: the one place it is written down. The version
   resource (Version.rc) and the release packages (packaging/) read it. */
#ifndef PLUGWARD_VERSION_H
#define PLUGWARD_VERSION_H

#define PLUGWARD_VERSION_MAJOR 1
#define PLUGWARD_VERSION_MINOR 0
#define PLUGWARD_VERSION_PATCH 0
#define PLUGWARD_VERSION_BUILD 1

/* The four numbers as the resource's fixed part takes them, and as its
   string table shows them: "1, 0, 0, 1". */
#define PLUGWARD_VERSION_NUMBERS \
    PLUGWARD_VERSION_MAJOR, PLUGWARD_VERSION_MINOR, PLUGWARD_VERSION_PATCH, PLUGWARD_VERSION_BUILD
#define PLUGWARD_STRINGIZE(...) #__VA_ARGS__
#define PLUGWARD_TEXT(...) PLUGWARD_STRINGIZE(__VA_ARGS__)
#define PLUGWARD_VERSION_TEXT PLUGWARD_TEXT(PLUGWARD_VERSION_NUMBERS)

#endif
