/* Drops one file at a screen point the way a file manager does: an X drag-and-drop (XDND)
   source offering a text/uri-list. Usage: xdnd_drop X Y /absolute/path
   Exits 0 once the target reports the drop finished, 1 on refusal or timeout. */
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/select.h>
#include <time.h>

static Display* dpy;
static Window source;
static Atom aAware, aEnter, aPosition, aStatus, aDrop, aFinished, aLeave, aSelection, aCopy, aUriList, aTargets;
static char uri[8192];

static void send_client(Window target, Atom type, long l0, long l1, long l2, long l3, long l4) {
  XEvent ev;
  memset(&ev, 0, sizeof ev);
  ev.xclient.type = ClientMessage;
  ev.xclient.display = dpy;
  ev.xclient.window = target;
  ev.xclient.message_type = type;
  ev.xclient.format = 32;
  ev.xclient.data.l[0] = l0;
  ev.xclient.data.l[1] = l1;
  ev.xclient.data.l[2] = l2;
  ev.xclient.data.l[3] = l3;
  ev.xclient.data.l[4] = l4;
  XSendEvent(dpy, target, False, NoEventMask, &ev);
  XFlush(dpy);
}

static void answer_request(XSelectionRequestEvent* req) {
  XEvent reply;
  memset(&reply, 0, sizeof reply);
  reply.xselection.type = SelectionNotify;
  reply.xselection.display = dpy;
  reply.xselection.requestor = req->requestor;
  reply.xselection.selection = req->selection;
  reply.xselection.target = req->target;
  reply.xselection.time = req->time;
  reply.xselection.property = req->property ? req->property : req->target;
  if (req->target == aUriList) {
    XChangeProperty(dpy, req->requestor, reply.xselection.property, aUriList, 8, PropModeReplace,
                    (unsigned char*)uri, (int)strlen(uri));
  } else if (req->target == aTargets) {
    Atom targets[2] = {aTargets, aUriList};
    XChangeProperty(dpy, req->requestor, reply.xselection.property, XA_ATOM, 32, PropModeReplace,
                    (unsigned char*)targets, 2);
  } else {
    reply.xselection.property = None;
  }
  XSendEvent(dpy, req->requestor, False, NoEventMask, &reply);
  XFlush(dpy);
}

/* Handles events until a client message of `type` arrives (returned in *out) or the time is up. */
static int wait_for(Atom type, XClientMessageEvent* out, int seconds) {
  const time_t end = time(NULL) + seconds;
  const int fd = ConnectionNumber(dpy);
  while (time(NULL) < end) {
    while (XPending(dpy)) {
      XEvent ev;
      XNextEvent(dpy, &ev);
      if (ev.type == SelectionRequest) answer_request(&ev.xselectionrequest);
      if (ev.type == ClientMessage && ev.xclient.message_type == type) {
        *out = ev.xclient;
        return 1;
      }
    }
    fd_set set;
    FD_ZERO(&set);
    FD_SET(fd, &set);
    struct timeval tv = {0, 100000};
    select(fd + 1, &set, NULL, NULL, &tv);
  }
  return 0;
}

static int is_aware(Window w) {
  Atom type;
  int format;
  unsigned long count, after;
  unsigned char* data = NULL;
  int aware = XGetWindowProperty(dpy, w, aAware, 0, 1, False, AnyPropertyType, &type, &format, &count, &after,
                                 &data) == Success && type != None;
  if (data) XFree(data);
  return aware;
}

/* The outermost window under the point that takes drops. */
static Window target_at(int x, int y) {
  Window root = DefaultRootWindow(dpy), w = root, child;
  int cx, cy;
  while (XTranslateCoordinates(dpy, root, w, x, y, &cx, &cy, &child) && child != None) {
    w = child;
    if (is_aware(w)) return w;
  }
  return None;
}

int main(int argc, char** argv) {
  if (argc != 4) {
    fprintf(stderr, "usage: xdnd_drop X Y /absolute/path\n");
    return 2;
  }
  const int x = atoi(argv[1]), y = atoi(argv[2]);
  snprintf(uri, sizeof uri, "file://%s\r\n", argv[3]);
  dpy = XOpenDisplay(NULL);
  if (!dpy) return 1;
  aAware = XInternAtom(dpy, "XdndAware", False);
  aEnter = XInternAtom(dpy, "XdndEnter", False);
  aPosition = XInternAtom(dpy, "XdndPosition", False);
  aStatus = XInternAtom(dpy, "XdndStatus", False);
  aDrop = XInternAtom(dpy, "XdndDrop", False);
  aFinished = XInternAtom(dpy, "XdndFinished", False);
  aLeave = XInternAtom(dpy, "XdndLeave", False);
  aSelection = XInternAtom(dpy, "XdndSelection", False);
  aCopy = XInternAtom(dpy, "XdndActionCopy", False);
  aUriList = XInternAtom(dpy, "text/uri-list", False);
  aTargets = XInternAtom(dpy, "TARGETS", False);
  source = XCreateSimpleWindow(dpy, DefaultRootWindow(dpy), 0, 0, 1, 1, 0, 0, 0);
  XSetSelectionOwner(dpy, aSelection, source, CurrentTime);

  const Window target = target_at(x, y);
  if (target == None) {
    fprintf(stderr, "no drop target at %d,%d\n", x, y);
    return 1;
  }
  XClientMessageEvent reply;
  send_client(target, aEnter, (long)source, 5L << 24, (long)aUriList, None, None);
  send_client(target, aPosition, (long)source, 0, ((long)x << 16) | y, CurrentTime, (long)aCopy);
  if (!wait_for(aStatus, &reply, 10) || !(reply.data.l[1] & 1)) {
    fprintf(stderr, "the target refused the drop\n");
    send_client(target, aLeave, (long)source, 0, 0, 0, 0);
    return 1;
  }
  send_client(target, aDrop, (long)source, 0, CurrentTime, 0, 0);
  if (!wait_for(aFinished, &reply, 10)) {
    fprintf(stderr, "the drop was not finished\n");
    return 1;
  }
  XCloseDisplay(dpy);
  return 0;
}
