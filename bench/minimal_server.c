/* The least a server on the event endpoint can do, as the yardstick for the
 * program's own figures: one thread per connection, each message answered
 * "OK", nothing stored. Run as `minimal_server NAME`; it serves the abstract
 * SOCK_SEQPACKET socket NAME until it is killed. */
#define _GNU_SOURCE /* accept4 */
#include <pthread.h>
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <string.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

static void* Serve(void* param)
{
    const int fd = (int)(intptr_t)param;
    char request[2028];
    while (recv(fd, request, sizeof request, 0) > 0) {
        if (send(fd, "OK", 2, MSG_NOSIGNAL) != 2)
            break;
    }
    close(fd);
    return NULL;
}

int main(int argc, char** argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: minimal_server NAME\n");
        return 2;
    }
    struct sockaddr_un address;
    memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    const size_t length = strnlen(argv[1], sizeof address.sun_path - 1);
    memcpy(address.sun_path + 1, argv[1], length);
    const socklen_t size = (socklen_t)(offsetof(struct sockaddr_un, sun_path) + 1 + length);

    const int listener = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
    if (listener < 0 || bind(listener, (struct sockaddr*)&address, size) != 0 || listen(listener, SOMAXCONN) != 0) {
        perror("minimal_server");
        return 1;
    }
    pthread_attr_t detached;
    pthread_attr_init(&detached);
    pthread_attr_setdetachstate(&detached, PTHREAD_CREATE_DETACHED);
    pthread_attr_setstacksize(&detached, 64 * 1024);
    for (;;) {
        const int fd = accept4(listener, NULL, NULL, SOCK_CLOEXEC);
        if (fd < 0)
            continue;
        pthread_t thread;
        if (pthread_create(&thread, &detached, Serve, (void*)(intptr_t)fd) != 0)
            close(fd);
    }
}
