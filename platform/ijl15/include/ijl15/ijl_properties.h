/* The interface of "ijl15.dll", the JPEG codec the camera library loads at run time: a
   properties record the caller fills, and three entries that return 0 on success. */
#ifndef KADRIX_IJL15_IJL_PROPERTIES_H
#define KADRIX_IJL15_IJL_PROPERTIES_H

#ifdef __cplusplus
extern "C" {
#endif

/* I/O types of ijlRead. */
enum {
    IJL_JFILE_READPARAMS = 0,     /* fill the JPG fields from the file's header */
    IJL_JFILE_READWHOLEIMAGE = 2, /* decode the file into DIBBytes as the DIB fields ask */
};

/* Colour values (JPGColor, DIBColor). */
enum {
    IJL_RGB = 1,     /* three components stored as red, green, blue */
    IJL_YCBCR = 3,   /* three components stored as luma and two chroma */
    IJL_G = 4,       /* one grey component */
    IJL_OTHER = 255, /* anything else; as a request: the components as stored, unconverted */
};

/* Subsampling values (JPGSubsampling, DIBSubsampling): the chroma sampling of the file. */
enum {
    IJL_SUBSAMPLING_NONE = 0, /* 4:4:4, or a single component */
    IJL_SUBSAMPLING_422 = 1,  /* chroma halved horizontally */
    IJL_SUBSAMPLING_420 = 2,  /* chroma halved in both directions */
    IJL_SUBSAMPLING_OTHER = 3,
};

/* Results other than 0. */
enum {
    IJL_ERR_ARGUMENT = -1, /* null record, unknown I/O type, a DIB request it cannot make */
    IJL_ERR_FILE = -2,     /* the file cannot be opened */
    IJL_ERR_DATA = -3,     /* not a JPEG, or damaged (a warning about the data counts too) */
    IJL_ERR_MEMORY = -4,
    IJL_ERR_COLOR = -5, /* four-component files are not decoded */
};

typedef struct IJL_PROPERTIES {
    /* The file. JPGFile is set by the caller; the others are filled by the parameter read. */
    const char* JPGFile;
    int JPGWidth;
    int JPGHeight;
    int JPGChannels;
    int JPGColor;
    int JPGSubsampling;

    /* The request of the whole-image read. With DIBChannels 2 the pixels are packed YCbCr
       4:2:2, Y0 Cb Y1 Cr, top row first; each row is DIBWidth x 2 bytes followed by DIBPadBytes
       bytes, and the buffer holds DIBHeight such rows. DIBWidth and DIBHeight must be the
       file's size. DIBColor IJL_YCBCR converts the file to YCbCr; IJL_OTHER copies the stored
       components (grey gets chroma 128). DIBSubsampling is informative. */
    unsigned char* DIBBytes;
    int DIBWidth;
    int DIBHeight;
    int DIBPadBytes;
    int DIBChannels;
    int DIBColor;
    int DIBSubsampling;

    /* The codec's own state between ijlInit and ijlFree. */
    void* state;
} IJL_PROPERTIES;

typedef int (*IJL_INIT_FN)(IJL_PROPERTIES* props);
typedef int (*IJL_READ_FN)(IJL_PROPERTIES* props, int ioType);
typedef int (*IJL_FREE_FN)(IJL_PROPERTIES* props);

#ifdef __cplusplus
}
#endif

#endif
